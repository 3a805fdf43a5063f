// The command line of ptool: its commands, arguments and options, and the
// exit statuses of a wrong command line.
#include <algorithm>
#include <functional>
#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/command_support.h"
#include "cli/ptool_commands.h"

#ifndef VARNHOLT_VERSION
#define VARNHOLT_VERSION "0"
#endif

namespace pt::cli {

namespace {

const CLI::Validator kSlotNumber(
    [](std::string& text) {
      return parseSlot(text) ? std::string() : "must be a number from 0 to 19, not '" + text + "'";
    },
    "0-19", "slot number");

// Options of the commands that bring pictures into slots.
struct ImportFlags {
  std::string palette = "auto";
  std::string alpha = "auto";
  std::string rows = "declared";
  bool noDither = false;
  bool keepAlpha = false;

  void addTo(CLI::App* cmd) {
    cmd->add_option("--palette", palette,
                    "auto (default): keep the slot's palette while the picture's colours are in it, put new "
                    "colours into entries no pixel uses, quantize only when they are too many; keep: map onto "
                    "the slot's palette; new: the file's own palette, or a quantized one")
        ->check(CLI::IsMember({"auto", "keep", "new"}));
    cmd->add_option("--alpha", alpha,
                    "auto (default): the file's alpha, or the slot's where the file shows an editor dropped or "
                    "collapsed it; file; slot: the slot's, by colour and place (.bmp, .png)")
        ->check(CLI::IsMember({"auto", "file", "slot"}));
    cmd->add_flag("--keep-alpha", keepAlpha, "the same as --alpha slot");
    cmd->add_option("--rows", rows,
                    "bitmaps: declared (default): a bottom-up file lands upright; file: rows in file order, as "
                    "older versions read them")
        ->check(CLI::IsMember({"declared", "file"}));
    cmd->add_flag("--no-dither", noDither, "map or quantize colours without dithering");
  }
  ImportOptions options() const {
    ImportOptions o;
    o.palette = paletteChoiceNamed(palette).value_or(PaletteChoice::Auto);
    o.alpha = keepAlpha ? AlphaChoice::Slot : alphaChoiceNamed(alpha).value_or(AlphaChoice::Auto);
    o.rows = rowOrderNamed(rows).value_or(RowOrder::Declared);
    o.dither = !noDither;
    return o;
  }
};

struct Arguments {
  std::string in, out, file, slot, res, dir, format = "png";
  std::vector<std::string> ins;
  bool json = false, force = false, alpha = false;
  int size = 256;
  ImportFlags import;
};

CLI::App* command(CLI::App& app, const char* name, const char* summary) {
  CLI::App* cmd = app.add_subcommand(name, summary);
  cmd->fallthrough(false);
  return cmd;
}

void addForce(CLI::App* cmd, Arguments& a, const char* what) {
  cmd->add_flag("--force", a.force, std::string("replace ") + what + " when it exists");
}

}  // namespace

int runPtool(std::vector<std::string> args) {
  CLI::App app("ptool - work on Paint Tool (.pt) texture containers from the command line.", "ptool");
  // "/dir/x.pt" is a file on every system, never an option.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", VARNHOLT_VERSION, "print the version and exit");
  app.require_subcommand(1);
  Arguments a;
  std::function<int()> run;

  auto* info = command(app, "info", "One line per slot: slot, used, width, height");
  info->add_option("FILE.pt", a.in, "the container")->required();
  info->add_flag("--json", a.json, "print a JSON array of objects with slot, used, width, height");
  info->callback([&] { run = [&] { return cmdInfo(a.in, a.json); }; });

  auto* copy = command(app, "copy", "Read IN and write it to OUT as Open and Save do");
  copy->add_option("IN.pt", a.in, "the container to read")->required();
  copy->add_option("OUT.pt", a.out, "the file to write")->required();
  addForce(copy, a, "OUT");
  copy->callback([&] { run = [&] { return cmdCopy(a.in, a.out, a.force); }; });

  auto* sample = command(app, "sample", "Write a generated sample container");
  sample->add_option("OUT.pt", a.out, "the file to write")->required();
  addForce(sample, a, "OUT");
  sample->callback([&] { run = [&] { return cmdSample(a.out, a.force); }; });

  auto* exp = command(app, "export", "Write one slot as raw data, an 8-bit bitmap with alpha or an indexed PNG");
  exp->add_option("IN.pt", a.in, "the container")->required();
  exp->add_option("SLOT", a.slot, "slot number, 0 to 19")->required()->check(kSlotNumber);
  exp->add_option("OUT", a.out, "the file to write; its extension picks the format")->required();
  exp->add_flag("--alpha", a.alpha, "write the alpha map (.bmp, .png)");
  addForce(exp, a, "OUT");
  exp->callback([&] { run = [&] { return cmdExport(a.in, *parseSlot(a.slot), a.out, a.alpha, a.force); }; });

  auto* imp = command(app, "import", "Load one slot from a file and write the container to OUT (may be IN)");
  imp->add_option("IN.pt", a.in, "the container")->required();
  imp->add_option("SLOT", a.slot, "slot number, 0 to 19")->required()->check(kSlotNumber);
  imp->add_option("FILE", a.file, "the file to load; its extension picks the format")->required();
  imp->add_option("-o", a.out, "the container to write (may be IN)")->required();
  a.import.addTo(imp);
  addForce(imp, a, "OUT");
  imp->callback([&] {
    run = [&] { return cmdImport(a.in, *parseSlot(a.slot), a.file, a.out, a.import.options(), a.force); };
  });

  auto* res = command(app, "set-res", "Declare a slot 256x256 or 128x128 and write the container");
  res->add_option("IN.pt", a.in, "the container")->required();
  res->add_option("SLOT", a.slot, "slot number, 0 to 19")->required()->check(kSlotNumber);
  res->add_option("RES", a.res, "high (256x256) or low (128x128)")->required();
  res->add_option("-o", a.out, "the container to write (may be IN)")->required();
  addForce(res, a, "OUT");
  res->callback([&] { run = [&] { return cmdSetRes(a.in, *parseSlot(a.slot), a.res, a.out, a.force); }; });

  auto* all = command(app, "export-all", "Every used slot of every container, with a manifest.json");
  all->add_option("IN.pt", a.ins, "the containers")->required();
  all->add_option("-d", a.dir, "the folder to write into")->required();
  all->add_option("--format", a.format, "file format (default png)")->check(CLI::IsMember({"png", "bmp", "tex"}));
  addForce(all, a, "an earlier export in the folders");
  all->callback([&] { run = [&] { return cmdExportAll(a.ins, a.dir, a.format, a.force); }; });

  auto* back = command(app, "import-all", "Load every slot DIR's manifest.json (or its slotNN files) names, all or nothing");
  back->add_option("IN.pt", a.in, "the container")->required();
  back->add_option("DIR", a.dir, "the folder of slot files")->required();
  back->add_option("-o", a.out, "the container to write (may be IN)")->required();
  a.import.addTo(back);
  addForce(back, a, "OUT");
  back->callback([&] {
    run = [&] { return cmdImportAll(a.in, a.dir, a.out, a.import.options(), a.force); };
  });

  auto* diff = command(app, "diff", "One line per region that differs (exit 0 same, 1 differ, 2 error)");
  diff->add_option("A.pt", a.in, "one container")->required();
  diff->add_option("B.pt", a.out, "the other")->required();
  diff->callback([&] { run = [&] { return cmdDiff(a.in, a.out); }; });

  auto* thumb = command(app, "thumbnail", "The used slots as one picture of at most N x N pixels");
  thumb->add_option("IN.pt", a.in, "the container")->required();
  thumb->add_option("OUT.png", a.out, "the PNG to write")->required();
  thumb->add_option("--size", a.size, "largest width and height (default 256)")->check(CLI::Range(16, 4096));
  addForce(thumb, a, "OUT");
  thumb->callback([&] { run = [&] { return cmdThumbnail(a.in, a.out, a.size, a.force); }; });

  app.footer("Synopsis:\n"
             "  ptool info FILE.pt [--json]\n"
             "  ptool copy IN.pt OUT.pt [--force]\n"
             "  ptool sample OUT.pt [--force]\n"
             "  ptool export IN.pt SLOT OUT.tex|OUT.bmp|OUT.png [--alpha] [--force]\n"
             "  ptool import IN.pt SLOT FILE.tex|FILE.bmp|FILE.png -o OUT.pt [--palette auto|keep|new]\n"
             "               [--alpha auto|file|slot] [--keep-alpha] [--rows declared|file] [--no-dither]\n"
             "               [--force]\n"
             "  ptool set-res IN.pt SLOT high|low -o OUT.pt [--force]\n"
             "  ptool export-all IN.pt [IN2.pt ...] -d DIR [--format png|bmp|tex] [--force]\n"
             "  ptool import-all IN.pt DIR -o OUT.pt [import's options] [--force]\n"
             "  ptool diff A.pt B.pt\n"
             "  ptool thumbnail IN.pt OUT.png [--size N] [--force]\n"
             "\nExit status: 0 success, 1 refused or failed (the reason on standard error), 2 usage error.\n"
             "'ptool COMMAND --help' describes one command.");

  try {
    // CLI11 takes the arguments last first, without the program's name.
    if (!args.empty()) args.erase(args.begin());
    std::reverse(args.begin(), args.end());
    app.parse(args);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    return usageError(e.what());
  }
  return run ? run() : usageError("no command given");
}

}  // namespace pt::cli
