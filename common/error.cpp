#include "common/error.h"

namespace pt {

std::string describe(const Error& error) {
  if (!error.detail.empty()) return error.detail;
  switch (error.kind) {
    case ErrorKind::Io: return "input/output error";
    case ErrorKind::NotFound: return "no such file";
    case ErrorKind::NotAFile: return "not a regular file";
    case ErrorKind::NotAContainer: return "not a Paint Tool file";
    case ErrorKind::Invalid: return "the file is damaged or of another kind";
    case ErrorKind::Unsupported: return "the file is of a kind that cannot be imported";
    case ErrorKind::NotUsed: return "the slot holds no texture";
    case ErrorKind::Declined: return "the existing file was kept";
    case ErrorKind::Incomplete: return "no container has been read completely";
    case ErrorKind::Busy: return "another program is working on the file";
    case ErrorKind::Codec: return "the picture could not be encoded or decoded";
  }
  return "unknown error";
}

}  // namespace pt
