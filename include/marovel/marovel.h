// marovel: structural reduction of Petri nets, as a library.
//
// A Net is read from a marovel net file, a PNML file, bytes in memory or
// arcs built in code; reduce() applies the rules A to F one application at a
// time, exactly as the marovel command does; the reduced net is then read
// back as data (places, transitions, arcs, what each survivor stands for)
// or written as marovel's output, PNML or a Graphviz picture.
//
// Every failure is an Error whose what() is the message the marovel command
// prints for the same fault (without its line feed). Running out of memory
// is std::bad_alloc. No function prints, exits or touches the process's
// signal handlers; distinct Nets may be used from distinct threads at once.
//
// Names are bytes, compared and ordered bytewise; a name that a net file
// holds is UTF-8, as XML delivers it.
#ifndef MAROVEL_MAROVEL_H_
#define MAROVEL_MAROVEL_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "marovel/version.h"

#if defined(__GNUC__)
#define MAROVEL_API __attribute__((visibility("default")))
#else
#define MAROVEL_API
#endif

namespace marovel {

// "0.1": the version of the library, as the commands print it; its major
// and minor numbers are those of MAROVEL_VERSION_MAJOR and _MINOR.
MAROVEL_API const char* version();

// One arc: from a place to a transition or from a transition to a place,
// with its weight (parallel arcs added up). Weights are counts, above 0.
struct Arc {
  std::string source, target;
  std::uint64_t weight = 1;
  friend bool operator==(const Arc&, const Arc&) = default;
};

// An Arc whose ends are given by position in the net's node list: places()
// followed by transitions(). An end below place_count() is a place.
struct IndexedArc {
  std::size_t source = 0, target = 0;
  std::uint64_t weight = 1;
  friend bool operator==(const IndexedArc&, const IndexedArc&) = default;
};

// What one rule application changed in the net, for a caller that follows
// a reduction change by change (Options::record_changes): applied in order
// to the places, transitions and arcs() of the net as reduce() found it,
// the changes of the first K steps give those of the net reduced with
// max_steps = K.
struct StepChanges {
  // The nodes the application erased, each list in name order.
  std::vector<std::string> erased_places;
  std::vector<std::string> erased_transitions;
  // The node that took over what the erased nodes stood for: every input
  // node in an erased node's aggregate() is now in the absorber's. It is
  // erased too when the application removed an isolated loop (a place and
  // a transition that only feed each other) whole.
  std::string absorber;
  bool absorber_is_place = false;  // else a transition
  // The arcs the application removed, with the weights they had, and the
  // arcs it added, with the weights they have: an arc whose weight changed
  // is in both. Arcs that leave a place and arcs that leave a transition
  // are listed apart, as a name may be both a place and a transition; each
  // list is in the order of Net::arcs().
  std::vector<Arc> removed_from_places;
  std::vector<Arc> removed_from_transitions;
  std::vector<Arc> added_from_places;
  std::vector<Arc> added_from_transitions;
};

// One rule application, as the reduction log writes it: "A:i,t,o reduced"
// is {'A', {"i", "t", "o"}}; with what it changed when the reduction
// records its changes, else `changes` is empty.
struct Step {
  char rule;
  std::vector<std::string> names;
  StepChanges changes;
};

struct Options {
  // The rules that may apply: every letter A to F the string holds, in
  // either case, enables that rule; other characters are ignored.
  std::string rules = "ABCDEF";
  // At most this many applications; 0 or less applies none.
  std::int32_t max_steps = 2000000;
  // Nodes no rule may erase: a match whose application would erase one is
  // passed over and the rule looks on, in its order, for its next match. A
  // kept node may still absorb others. Every name must be a place or a
  // transition of the net as it is when reduce() starts (else Error); a
  // name kept is kept as a place and as a transition.
  std::vector<std::string> keep;
  // Called after every application, in order. An exception it throws stops
  // the reduction and propagates; the net is left as after that step.
  std::function<void(const Step&)> on_step;
  // Whether each Step given to on_step carries its StepChanges. Recording
  // costs time in proportion to the arcs of the erased nodes and nothing
  // when off.
  bool record_changes = false;
  // Called every 4096 applications with the number applied so far, so that
  // a caller can show progress or stop a long run: an exception it throws
  // stops the reduction and propagates, as from on_step.
  std::function<void(std::int64_t applied)> on_progress;
};

struct Report {
  // Applications per rule letter; every enabled letter is present.
  std::map<char, std::int64_t> steps;
  // Why the run ended: "no rule applies any more", "no rule applied at
  // all", "step limit N reached" (followed by "; no rule applies any more"
  // when the limit came as the rules ran out), or "no step allowed
  // (--steps=N)" for a limit of 0 or less.
  std::string stopped;
};

// The one exception type of the library (besides std::bad_alloc). Copying
// it throws nothing.
class MAROVEL_API Error : public std::runtime_error {
 public:
  enum class Code {
    kInvalidInput,     // the input is not what marovel reads
    kIoError,          // a file could not be opened, read or written
    kLimit,            // the input goes past what marovel can hold
    kInvalidArgument,  // an argument is wrong: it names what the net lacks,
                       // builds an unsound net or would write over the input
  };

  Error(Code code, const std::string& what, std::string detail = {},
        int system_error = 0);
  ~Error() override;

  // what(): the command's message for the same fault.
  Code code() const noexcept { return code_; }
  // What the XML layer or the system said, when it said something; else
  // empty ("XML parsing error: 'syntax error' at line 1").
  const std::string& detail() const noexcept { return *detail_; }
  // The system's error number (errno) for a kIoError that has one; else 0:
  // ENOENT for an input that is not there.
  int system_error() const noexcept { return system_error_; }

 private:
  Code code_;
  std::shared_ptr<const std::string> detail_;
  int system_error_;
};

// A place/transition net and what each of its nodes stands for. A Net is
// moved, not copied; a moved-from Net may only be assigned to or destroyed.
// After an exception the net is valid and destructible, and holds:
// - after an Error: the net as it was before the call;
// - after an exception from on_step or on_progress: the net as after the
//   last step applied;
// - after std::bad_alloc: the net as it was, except from reduce(), which
//   may leave it as after any of its steps (none or all included), or
//   empty (no nodes, written with empty lists) when memory ran out inside
//   a step.
class MAROVEL_API Net {
 public:
  // A marovel net file, with the command's checks and messages: an input
  // that is not a readable regular file is a kIoError "Can't open input
  // file" (with errno), one that does not load as XML a kInvalidInput of
  // the same message with the parser's words as the detail.
  static Net read(const std::string& path);
  // A PNML place/transition net, as pnml2net reads it; `net_id` picks one
  // of several nets (pnml2net's --net). The net file pnml2net would write
  // is then read as parse() reads it. A refusal's what() is pnml2net's
  // message, after its "pnml2net: FILE: ".
  static Net read_pnml(const std::string& path, const std::string& net_id = {});
  // A net file's bytes held in memory.
  static Net parse(std::string_view document);
  // A PNML document's bytes held in memory, as read_pnml() reads a file.
  static Net parse_pnml(std::string_view document,
                        const std::string& net_id = {});
  // Either format, told apart by the document's root element: a root named
  // `pnml`, in any namespace, is read as read_pnml() and parse_pnml() read
  // it (the document's only net), any other as read() and parse() do.
  static Net read_any(const std::string& path);
  static Net parse_any(std::string_view document);
  // A net built in code: each arc joins a place and a transition of the
  // lists, either way; parallel arcs add up and an arc of weight 0 adds
  // nothing. Written as if its file held <place name="N"><info>N</info>
  // </place> for each place, and likewise for transitions. As a file would
  // be, it is refused (kInvalidArgument) without places, transitions or
  // arcs ("No places found"...), with an arc whose ends are not a place and
  // a transition of the lists ("Wrong edge ") or with a name that is not
  // XML text; weights that add up past 2^64 - 1 are a kLimit.
  static Net from_arcs(std::vector<std::string> places,
                       std::vector<std::string> transitions,
                       std::vector<Arc> arcs);

  Net(Net&&) noexcept;
  Net& operator=(Net&&) noexcept;
  ~Net();

  // The survivors, in name order (bytewise).
  std::vector<std::string> places() const;
  std::vector<std::string> transitions() const;
  // Every arc, parallel arcs once with their weights added, in the order
  // the writer writes them: by source, places first, then by target.
  std::vector<Arc> arcs() const;
  // The same arcs in the same order, each end as its position in places()
  // followed by transitions(): for a caller that holds those lists, every
  // arc without a copy of its names.
  std::vector<IndexedArc> indexed_arcs() const;
  std::size_t place_count() const;
  std::size_t transition_count() const;
  std::size_t arc_count() const;
  // The input nodes `node` stands for, itself included, in name order. A
  // place and a transition of one name share one entry.
  // REQUIRES: `node` is a place or transition of the net (else Error).
  std::vector<std::string> aggregate(const std::string& node) const;
  // Every survivor with what it stands for, places first, each in name
  // order (a name that is a place and a transition comes once).
  std::vector<std::pair<std::string, std::vector<std::string>>> aggregates()
      const;

  // Reduces the net in place. Can be called again: each run goes on from
  // the net the last one left.
  Report reduce(const Options& options = {});

  // marovel's output format: byte for byte what `marovel -o PATH` writes for
  // the same input and options, apart from the date; the file is whole or
  // untouched. The elements are copied from the input as it was read; a
  // file read with read() that has changed since is read again for them,
  // as the command does. A path that names the net's input file is refused
  // ("Output file would overwrite input file").
  void write(const std::string& path) const;
  std::string to_xml() const;  // the same document, in memory
  // What net2pnml writes for the file write() writes: written at `path`,
  // the net is named after the path's last component without its extension
  // (as net2pnml names it after its input's); to_pnml() names it `name`.
  void write_pnml(const std::string& path) const;
  std::string to_pnml(std::string_view name = "net") const;
  // As net2dot draws the file write() writes.
  std::string to_dot() const;

 private:
  struct Impl;
  explicit Net(std::unique_ptr<Impl> impl);
  static Net read_file(const std::string& path, bool pnml_too);
  static Net parse_document(std::string_view document, bool pnml_too);
  std::unique_ptr<Impl> impl_;
};

}  // namespace marovel

#endif  // MAROVEL_MAROVEL_H_
