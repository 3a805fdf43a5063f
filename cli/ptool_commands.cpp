#include "cli/ptool_commands.h"

#include <cctype>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include "bitmap/bitmap_import.h"
#include "bitmap/bmp_header.h"
#include "cli/cli_prompt.h"
#include "common/file_io.h"
#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "bitmap/slot_bitmap_writer.h"
#include "exchange/raw_tex.h"
#include "exchange/slot_files.h"
#include "sample/sample_container.h"

namespace pt::cli {

namespace fs = std::filesystem;

namespace {

struct Args {
  std::vector<std::string> positional;
  std::set<std::string> flags;
  std::optional<std::string> output;  // -o
};

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  std::size_t positionals;
  std::set<std::string> allowedFlags;
  bool needsOutput;
  int (*run)(const Args&);
};

int usageError(const std::string& message) {
  std::cerr << "ptool: " << message << "\nTry 'ptool --help'.\n";
  return kUsage;
}

std::optional<std::uint8_t> parseSlot(const std::string& text) {
  if (text.empty() || text.size() > 2 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int n = std::stoi(text);
  if (n >= static_cast<int>(kSlotCount)) return std::nullopt;
  return static_cast<std::uint8_t>(n);
}

std::string lowerExtension(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

fs::path programFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : exe.parent_path();
}

bool loadHeaderBesideProgram(BmpHeader& header) {
  auto loaded = loadBmpHeader(programFolder() / kBmpHeaderFileName);
  if (loaded) {
    header = *loaded;
    return true;
  }
  std::cerr << "Varnholt: " << describe(loaded.error()) << "\nBitmap work needs " << kBmpHeaderFileName
            << " beside the program.\n";
  return false;
}

// The system's own line, then the reason on the next.
void refusal(const std::string& line, const Error& error) {
  std::cerr << line << '\n' << describe(error) << '\n';
}

bool open(const std::string& path, PtFile& file) {
  auto loaded = loadPtFile(path);
  if (loaded) {
    file = std::move(*loaded);
    return true;
  }
  refusal("Open failed of " + path, loaded.error());
  return false;
}

int save(const PtFile& file, const std::string& path, bool force) {
  CliPrompt prompt(force);
  if (const Status saved = savePtFile(file, path, prompt); !saved) {
    refusal("Save not completed of " + path, saved.error());
    return kFailed;
  }
  std::cout << "Saved : " << path << '\n';
  return kOk;
}

int cmdInfo(const Args& a) {
  PtFile file;
  if (!open(a.positional[0], file)) return kFailed;
  const bool json = a.flags.count("--json") != 0;
  if (json) std::cout << '[';
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const SlotRow r = slotRow(file, i);
    if (json)
      std::cout << (i ? "," : "") << "{\"slot\":" << r.slot << ",\"used\":" << r.used
                << ",\"width\":" << r.width << ",\"height\":" << r.height << '}';
    else
      std::cout << r.slot << ' ' << r.used << ' ' << r.width << ' ' << r.height << '\n';
  }
  if (json) std::cout << "]\n";
  return kOk;
}

int cmdCopy(const Args& a) {
  PtFile file;
  if (!open(a.positional[0], file)) return kFailed;
  return save(file, a.positional[1], a.flags.count("--force") != 0);
}

int cmdSample(const Args& a) {
  return save(makeSamplePtFile(), a.positional[0], a.flags.count("--force") != 0);
}

int cmdExport(const Args& a) {
  const auto slot = parseSlot(a.positional[1]);
  if (!slot) return usageError("SLOT must be a number from 0 to 19");
  const std::string& out = a.positional[2];
  const std::string ext = lowerExtension(out);
  if (ext != ".tex" && ext != ".bmp") return usageError("OUT must end in .tex or .bmp");
  if (a.flags.count("--alpha") && ext != ".bmp") return usageError("--alpha needs a .bmp file");
  PtFile file;
  if (!open(a.positional[0], file)) return kFailed;
  CliPrompt prompt(a.flags.count("--force") != 0);
  Bytes content;
  if (ext == ".tex") {
    content = buildRawTex(file.slots[*slot]);
  } else {
    BmpHeader header{};
    if (!loadHeaderBesideProgram(header)) return kFailed;
    content = buildSlotBitmap(file, *slot, header, a.flags.count("--alpha") != 0);
  }
  const std::string n = std::to_string(*slot);
  if (const Status written = exportSlotFile(file, *slot, out, content, prompt); !written) {
    refusal("Slot " + n + " not extracted", written.error());
    return kFailed;
  }
  std::cout << "Slot " << n << " extracted as " << out << '\n';
  return kOk;
}

int cmdImport(const Args& a) {
  const auto slot = parseSlot(a.positional[1]);
  if (!slot) return usageError("SLOT must be a number from 0 to 19");
  const std::string& source = a.positional[2];
  const std::string ext = lowerExtension(source);
  if (ext != ".tex" && ext != ".bmp") return usageError("FILE must end in .tex or .bmp");
  PtFile file;
  if (!open(a.positional[0], file)) return kFailed;
  const ImportOptions options;
  PtSlot& target = file.slots[*slot];
  const Result<ImportNotes> imported = ext == ".tex" ? importRawTexFile(source, target)
                                                     : importBitmapFile(source, target, *slot, options);
  const std::string n = std::to_string(*slot);
  if (!imported) {
    refusal("Slot " + n + " not loaded with new file", imported.error());
    return kFailed;
  }
  std::cout << "Slot " << n << " loaded with " << source << '\n';
  if (ext == ".tex" && imported->bytesFromFile < kRawTexSize)
    std::cerr << "Note: the file holds " << imported->bytesFromFile << " of the " << kRawTexSize
              << " bytes of a raw texture; the rest of the slot keeps its earlier contents.\n";
  for (const std::string& line : describeNotes(*imported, options)) std::cerr << line << '\n';
  return save(file, *a.output, a.flags.count("--force") != 0);
}

int cmdSetRes(const Args& a) {
  const auto slot = parseSlot(a.positional[1]);
  if (!slot) return usageError("SLOT must be a number from 0 to 19");
  const std::string& res = a.positional[2];
  if (res != "high" && res != "low") return usageError("the resolution must be high or low");
  PtFile file;
  if (!open(a.positional[0], file)) return kFailed;
  setSlotResolution(file.slots[*slot], res == "low");
  std::cout << "Set slot " << int(*slot) << " to new resolution\n";
  return save(file, *a.output, a.flags.count("--force") != 0);
}

const std::vector<Command>& commands() {
  static const std::vector<Command> list = {
      {"info", "ptool info FILE.pt [--json]",
       "Print one line per slot: slot, used, width, height (--json: a JSON array).", 1,
       {"--json"}, false, cmdInfo},
      {"copy", "ptool copy IN.pt OUT.pt [--force]",
       "Read IN and write it to OUT as Open and Save do; --force replaces an existing OUT.", 2,
       {"--force"}, false, cmdCopy},
      {"sample", "ptool sample OUT.pt [--force]",
       "Write a generated sample container with recognisable pictures in every slot.", 1,
       {"--force"}, false, cmdSample},
      {"export", "ptool export IN.pt SLOT OUT.tex|OUT.bmp [--alpha] [--force]",
       "Write slot SLOT (0-19) as raw data or as an 8-bit bitmap with alpha (--alpha: the alpha "
       "map); --force replaces an existing OUT.",
       3, {"--alpha", "--force"}, false, cmdExport},
      {"import", "ptool import IN.pt SLOT FILE.tex|FILE.bmp -o OUT.pt [--force]",
       "Load slot SLOT from FILE and write the container to OUT (may be IN); --force replaces an "
       "existing OUT.",
       3, {"--force"}, true, cmdImport},
      {"set-res", "ptool set-res IN.pt SLOT high|low -o OUT.pt [--force]",
       "Declare slot SLOT 256x256 (high) or 128x128 (low) and write the container to OUT.", 3,
       {"--force"}, true, cmdSetRes},
  };
  return list;
}

void printHelp() {
  std::cout << "ptool - work on Paint Tool (.pt) texture containers from the command line.\n\n"
               "Commands:\n";
  for (const auto& c : commands()) std::cout << "  " << c.usage << "\n      " << c.summary << '\n';
  std::cout << "\nExit status: 0 success, 1 refused or failed, 2 usage error.\n"
               "'ptool COMMAND --help' describes one command.\n";
}

}  // namespace

int runPtool(const std::vector<std::string>& argv) {
  if (argv.empty()) return usageError("no command given");
  if (argv[0] == "--help" || argv[0] == "-h") {
    printHelp();
    return kOk;
  }
  const auto& list = commands();
  const auto cmd = std::find_if(list.begin(), list.end(),
                                [&](const Command& c) { return argv[0] == c.name; });
  if (cmd == list.end()) return usageError("unknown command '" + argv[0] + "'");

  Args args;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << "Usage: " << cmd->usage << "\n" << cmd->summary << '\n';
      return kOk;
    }
    if (a == "-o" && cmd->needsOutput) {
      if (i + 1 >= argv.size() || args.output) return usageError("-o needs one file name");
      args.output = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      if (!cmd->allowedFlags.count(a)) return usageError("unknown option '" + a + "' for " + cmd->name);
      args.flags.insert(a);
    } else {
      args.positional.push_back(a);
    }
  }
  if (args.positional.size() != cmd->positionals || (cmd->needsOutput && !args.output))
    return usageError(std::string("usage: ") + cmd->usage);
  return cmd->run(args);
}

}  // namespace pt::cli
