#pragma once

// What a later launch and the running instance say over the instance socket. Plain C++ so the
// launcher, which loads no Qt, speaks it from the same definitions as the application.
namespace InstanceProtocol {

/// The instance's folder below XDG_RUNTIME_DIR, and its socket in that folder.
inline constexpr char Folder[] = "vesk-bar";
inline constexpr char SocketName[] = "instance.sock";
/// A forward message: this header, then one argument per line, then an empty line.
inline constexpr char Header[] = "vesk-bar 1\n";
/// The instance's answer once it has taken a forward message.
inline constexpr char Receipt[] = "ok\n";

} // namespace InstanceProtocol
