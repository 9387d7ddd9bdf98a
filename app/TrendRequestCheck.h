#pragma once
/// The trend inputs the Request button and the trend query both check before a query runs.
#include <cstdint>
#include <optional>

class frmTestConnection;

/// The sample count the window's trend inputs ask for. When an input is wrong it shows the
/// box that names it ("No trend is selected!" or "Incorrect sample period entry!") and gives
/// nothing.
std::optional<std::int32_t> CheckTrendRequest(frmTestConnection& w);
