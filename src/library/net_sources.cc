// Where a Net comes from: a net file, a PNML file, bytes in memory, or
// lists and arcs built in code.
#include <cstring>
#include <memory>
#include <sstream>
#include <utility>

#include "base/file_identity.h"
#include "base/quoted.h"
#include "library/errors.h"
#include "library/net_impl.h"
#include "marovel/marovel.h"
#include "netfile/named_lists.h"
#include "netfile/net_file.h"
#include "pnml/net_file_writer.h"
#include "pnml/pnml_reader.h"
#include "pnml/pt_net.h"
#include "reader/arc_list.h"
#include "reader/net_reader.h"

namespace marovel {
namespace {

// The command's check of its input before it reads it: a readable regular
// file, else "Can't open input file" with the system's reason.
void check_input_file(const std::string& path) {
  const int error = readable_regular_file_error(path);
  if (error == 0) return;
  throw Error(Error::Code::kIoError, "Can't open input file",
              "cannot read " + quoted(path) + ": " +
                  (error > 0 ? std::strerror(error) : "not a regular file"),
              error > 0 ? error : 0);
}

// Throws the failed read of a net file's content. A file that opened and
// did not load as XML is an input marovel does not read; a PNML document is
// pointed to read_pnml().
[[noreturn]] void throw_read_failure(const Status& status,
                                     const InputNet& input,
                                     std::string_view source) {
  if (status.code() == Status::Code::kIoError && status.system_error() == 0)
    throw_status(status, Error::Code::kInvalidInput);
  if (is_pnml_root(input.root_name))
    throw Error(
        Error::Code::kInvalidInput, message_text(status.message()),
        std::string(source) + " is a PNML file: read it with Net::read_pnml");
  throw_status(status);
}

}  // namespace

Net Net::read(const std::string& path) {
  check_input_file(path);
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  if (const Status status = read_net(path, impl->model, impl->input);
      !status.ok())
    throw_read_failure(status, impl->input, quoted(path));
  return Net(std::move(impl));
}

Net Net::parse(std::string_view document) {
  auto impl = std::make_unique<Impl>();
  if (const Status status = read_net_bytes(document, impl->model, impl->input);
      !status.ok())
    throw_read_failure(status, impl->input, "the document");
  return Net(std::move(impl));
}

Net Net::read_pnml(const std::string& path, const std::string& net_id) {
  check_input_file(path);
  PtNet net;
  if (const Status status = read_pnml_file(path, net_id, net); !status.ok()) {
    // pnml2net's message, after its name and, for a refusal of what the
    // file holds, the file's.
    if (status.code() == Status::Code::kIoError && status.system_error() == 0)
      throw Error(Error::Code::kInvalidInput, status.message(),
                  status.message());
    throw_status(status);
  }
  std::ostringstream file;
  if (!write_net_file(net, file)) throw std::bad_alloc();
  return parse(file.view());
}

Net Net::from_arcs(std::vector<std::string> places,
                   std::vector<std::string> transitions,
                   std::vector<Arc> arcs) {
  auto impl = std::make_unique<Impl>();
  if (const Status status = scan_named_lists(places, transitions, impl->input);
      !status.ok())
    throw Error(Error::Code::kInvalidArgument, "Can't open input file",
                "the names do not make a net file: " + status.message());
  std::vector<NamedArc> named;
  named.reserve(arcs.size());
  for (const Arc& arc : arcs)
    named.push_back({arc.source, arc.target, arc.weight});
  if (const Status status = read_arc_list(named, impl->model, impl->input);
      !status.ok())
    throw_status(status, status.code() == Status::Code::kLimit
                             ? Error::Code::kLimit
                             : Error::Code::kInvalidArgument);
  return Net(std::move(impl));
}

}  // namespace marovel
