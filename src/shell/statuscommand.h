#pragma once

struct CommandLine;

/// `vesk-bar --status`: prints the running instance's status (plain text, or with `--json` the
/// JSON line as it arrives), once or, with `--follow`, on every change until the instance ends.
/// Never starts an instance and needs no application object. Returns the process's exit code.
int runStatusCommand(const CommandLine &commandLine);
