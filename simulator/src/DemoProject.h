#pragma once
/// The built-in demo plant: a small water treatment works.
#include "Project.h"

namespace znsim {

/// The demo project, finished (indexes built). The user Engineer logs in with the password
/// the client's login box shows.
Project DemoProject();

}  // namespace znsim
