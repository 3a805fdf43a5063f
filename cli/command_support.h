#pragma once
// What every ptool command shares: exit statuses, usage errors, the slot
// number, and the prologue and epilogue of commands that open a container,
// change it and write it back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/container_locks.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt::cli {

enum Exit { kOk = 0, kFailed = 1, kUsage = 2 };

// Prints the message and the hint to --help on stderr; returns kUsage.
int usageError(const std::string& message);

// "0" to "19"; nullopt for anything else.
std::optional<std::uint8_t> parseSlot(const std::string& text);

// The reason of a refusal, on its own line of stderr.
void printReason(const Error& error);

// An open container, with the locks that keep other ptool commands from
// changing it until this one has written it back.
struct OpenContainer {
  ContainerLocks locks;
  PtFile file;
};

// Locks `in` and, when given and another file, `out`, then reads `in`. On
// failure prints "Open failed of IN" and the reason.
std::optional<OpenContainer> openContainer(const std::string& in,
                                           const std::string* out = nullptr);

// Saves through the one save of the program: "Saved : OUT" on stdout, or
// "Save not completed of OUT" and the reason on stderr.
int saveAndReport(const PtFile& file, const std::string& out, bool force);

// The notes of a successful import on stderr, after its "loaded with" line;
// `raw`: how many bytes a short raw file gave.
void printImportNotes(const ImportNotes& notes, const ImportOptions& options);

}  // namespace pt::cli
