#pragma once
/// The texts of zncheck --help that more than one command shares.

namespace zncheck {

/// What each exit code means, as the table the help and the README show.
inline constexpr const char* kExitCodes =
    "Exit codes:\n"
    "  0 OK        everything asked for succeeded; probe: the primary answered in time\n"
    "  1 WARNING   probe: only the standby answered, or the round trip is over --warn-ms\n"
    "  2 CRITICAL  no server answered; a server refused the login; a read, write, function\n"
    "              or request failed; probe: the round trip is over --crit-ms\n"
    "  3 UNKNOWN   no password given; the password file cannot be read; a bad option or\n"
    "              value; the library cannot be loaded";

/// How the servers are named, for every option that takes a computer name.
inline constexpr const char* kServerNames =
    "Servers (--primary, --standby): HOST, HOST:PORT or [IPv6]:PORT, port 20222 unless given. "
    "To another computer that is TLS, as with tls://HOST; only on this computer is it plain "
    "TCP. plain://HOST sends the user name and the password in clear, and is the only way to "
    "reach a server without TLS on another computer. ZNAPI_TLS_CA names a PEM file of trusted "
    "CAs (else the system's).";

/// The help of --primary and --standby.
inline constexpr const char* kComputerForms =
    "HOST[:PORT], tls://HOST[:PORT] or plain://HOST[:PORT]; TLS unless HOST is this computer, "
    "tls:// for TLS always, plain:// to send the password in clear";

}  // namespace zncheck
