// A Net written out: marovel's output format, and through it the
// companions' PNML and Graphviz picture.
#include <sstream>

#include "base/file_identity.h"
#include "base/safe_file.h"
#include "dot/dot_writer.h"
#include "dot/net_graph.h"
#include "library/errors.h"
#include "library/net_impl.h"
#include "marovel/marovel.h"
#include "netfile/net_file_reader.h"
#include "pnml/net_file_pnml.h"
#include "pnml/pnml_writer.h"
#include "writer/net_writer.h"

namespace marovel {
namespace {

// Where the command prints the member names of merged transitions: the
// library prints nothing.
class NoOutput : public std::ostream {
 public:
  NoOutput() : std::ostream(nullptr) {}
};

// An output that would overwrite the net's input file, refused as the command
// refuses it: the writer may need the input again.
void check_output(const std::string& input_path, const std::string& path) {
  if (!input_path.empty() && same_file(path, input_path))
    throw Error(Error::Code::kInvalidArgument,
                "Output file would overwrite input file");
}

// Throws a failed save of `path`; a reader waiting on a FIFO there is let
// go, as the command lets it go, so that no pipeline hangs.
[[noreturn]] void throw_write_failure(const Status& status,
                                      const std::string& path) {
  release_fifo_reader(path);
  throw_status(status);
}

// The file write() writes, as the companions read it.
void read_written(const std::string& xml, NetFile& file) {
  // Anything the writer writes reads back.
  check(read_net_text(xml, file));
}

// The net's PNML, named `name`, on `out`; false when `out` failed.
bool write_pnml_of(const Net& net, std::ostream& out, std::string_view name) {
  NetFile file;
  read_written(net.to_xml(), file);
  return marovel::write_pnml(pnml_of_net_file(file, name), out);
}

}  // namespace

void Net::write(const std::string& path) const {
  check_output(impl_->path, path);
  NoOutput members;
  if (const Status status =
          write_reduced_net(impl_->path, path, impl_->model, members,
                            &impl_->input, {}, SafeFile::Signals::kLeaveAlone);
      !status.ok())
    throw_write_failure(status, path);
}

std::string Net::to_xml() const {
  std::ostringstream xml;
  NoOutput members;
  check(write_reduced_text(impl_->path, xml, impl_->model, members,
                           &impl_->input));
  return std::move(xml).str();
}

std::string Net::to_pnml(std::string_view name) const {
  std::ostringstream pnml;
  if (!write_pnml_of(*this, pnml, name)) throw std::bad_alloc();
  return std::move(pnml).str();
}

void Net::write_pnml(const std::string& path) const {
  check_output(impl_->path, path);
  SafeFile file(path, SafeFile::Staging::kUnnamed,
                SafeFile::Signals::kLeaveAlone);
  const bool written = write_pnml_of(*this, file.stream(), file_stem(path));
  // A writer fails only with its stream, which fails the commit.
  if (!file.commit() || !written)
    throw_write_failure(
        Status::error(Status::Code::kWriteFailed, "Can't write output file",
                      file.error(), file.error_number()),
        path);
}

std::string Net::to_dot() const {
  NetFile file;
  read_written(to_xml(), file);
  std::ostringstream dot;
  if (!write_dot(net_graph(file), dot)) throw std::bad_alloc();
  return std::move(dot).str();
}

}  // namespace marovel
