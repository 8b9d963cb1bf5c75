// marovel._marovel: the library's Net, its reduction and its errors for
// Python. The package (python/marovel/) adds the conversions to and from
// networkx and pm4py, which are plain Python.
#include <pybind11/functional.h>
#include <pybind11/pybind11.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "errors.h"
#include "marovel/marovel.h"
#include "shared_net.h"

namespace py = pybind11;

namespace marovel::python {
namespace {

// A new reference to the str of a name (UTF-8, as the library holds it).
PyObject* new_str(std::string_view name) {
  PyObject* str = PyUnicode_DecodeUTF8(
      name.data(), static_cast<Py_ssize_t>(name.size()), "surrogateescape");
  if (str == nullptr) throw py::error_already_set();
  return str;
}

py::list list_of(const std::vector<std::string>& names) {
  py::list list(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(i), new_str(names[i]));
  return list;
}

// Holds the cyclic garbage collector off while a scope builds many tuples:
// each would count towards the collector's next pass over every object,
// and what is built holds no cycle.
class NoCollection {
 public:
  NoCollection() : was_enabled_(PyGC_Disable() == 1) {}
  ~NoCollection() {
    if (was_enabled_) PyGC_Enable();
  }
  NoCollection(const NoCollection&) = delete;
  NoCollection& operator=(const NoCollection&) = delete;

 private:
  bool was_enabled_;
};

// What a net's arcs are read from: its node lists and its arcs by
// position in them, taken under the net's lock at once.
struct ArcData {
  std::vector<std::string> places, transitions;
  std::vector<IndexedArc> arcs;
};

// Every arc as a (source, target, weight) tuple; each name is one str
// object, however many arcs it ends.
py::list arcs_of(const ArcData& data) {
  const NoCollection no_collection;
  py::list nodes = list_of(data.places);
  for (const std::string& name : data.transitions)
    nodes.append(py::reinterpret_steal<py::object>(new_str(name)));
  py::list list(data.arcs.size());
  for (std::size_t i = 0; i < data.arcs.size(); ++i) {
    const IndexedArc& arc = data.arcs[i];
    PyObject* weight = PyLong_FromUnsignedLongLong(arc.weight);
    if (weight == nullptr) throw py::error_already_set();
    PyObject* tuple = PyTuple_New(3);
    if (tuple == nullptr) {
      Py_DECREF(weight);
      throw py::error_already_set();
    }
    PyObject* source =
        PyList_GET_ITEM(nodes.ptr(), static_cast<Py_ssize_t>(arc.source));
    PyObject* target =
        PyList_GET_ITEM(nodes.ptr(), static_cast<Py_ssize_t>(arc.target));
    Py_INCREF(source);
    Py_INCREF(target);
    PyTuple_SET_ITEM(tuple, 0, source);
    PyTuple_SET_ITEM(tuple, 1, target);
    PyTuple_SET_ITEM(tuple, 2, weight);
    PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(i), tuple);
  }
  return list;
}

py::object aggregates_of(
    const std::vector<std::pair<std::string, std::vector<std::string>>>&
        aggregates) {
  const NoCollection no_collection;
  py::dict dict;
  for (const auto& [node, members] : aggregates) {
    const py::object key = py::reinterpret_steal<py::object>(new_str(node));
    const py::object tuple =
        py::reinterpret_steal<py::object>(PyTuple_New(members.size()));
    if (!tuple) throw py::error_already_set();
    for (std::size_t i = 0; i < members.size(); ++i) {
      PyObject* member =
          members[i] == node ? key.inc_ref().ptr() : new_str(members[i]);
      PyTuple_SET_ITEM(tuple.ptr(), static_cast<Py_ssize_t>(i), member);
    }
    if (PyDict_SetItem(dict.ptr(), key.ptr(), tuple.ptr()) != 0)
      throw py::error_already_set();
  }
  return py::module_::import("types").attr("MappingProxyType")(dict);
}

// A str or os.PathLike as the bytes the system is given (os.fsencode).
std::string path_of(const py::object& path) {
  const py::module_ os = py::module_::import("os");
  const py::bytes bytes = os.attr("fsencode")(os.attr("fspath")(path));
  return std::string(bytes);
}

std::string document_of(const py::object& data) {
  if (py::isinstance<py::str>(data)) return data.cast<std::string>();
  if (py::isinstance<py::bytes>(data)) return std::string(py::bytes(data));
  if (PyByteArray_Check(data.ptr()) || PyMemoryView_Check(data.ptr()))
    return std::string(py::bytes(data));
  throw py::type_error(
      "parse() takes a str or bytes, not " +
      std::string(py::str(py::type::of(data).attr("__name__"))));
}

std::vector<std::string> names_of(const py::handle& names, const char* what) {
  if (py::isinstance<py::str>(names) || py::isinstance<py::bytes>(names))
    throw py::type_error(std::string(what) +
                         " must be an iterable of names, not one name");
  std::vector<std::string> list;
  for (const py::handle name : py::iter(names)) {
    if (!py::isinstance<py::str>(name))
      throw py::type_error(
          std::string(what) + " holds a " +
          std::string(py::str(py::type::of(name).attr("__name__"))) +
          ", not a str");
    list.push_back(name.cast<std::string>());
  }
  return list;
}

Arc arc_of(const py::handle& item) {
  if (py::isinstance<py::str>(item) || !py::isinstance<py::sequence>(item))
    throw py::type_error(
        "an arc is a (source, target) or (source, target, weight) tuple");
  const py::sequence arc = py::reinterpret_borrow<py::sequence>(item);
  if (arc.size() != 2 && arc.size() != 3)
    throw py::type_error(
        "an arc is a (source, target) or (source, target, weight) tuple");
  const py::object source = arc[0], target = arc[1];
  if (!py::isinstance<py::str>(source) || !py::isinstance<py::str>(target))
    throw py::type_error("an arc's ends are names (str)");
  Arc result{source.cast<std::string>(), target.cast<std::string>(), 1};
  if (arc.size() == 3) {
    const py::object weight = arc[2];
    if (!PyLong_Check(weight.ptr()))
      throw py::type_error("an arc's weight is an int");
    if (PyObject_RichCompareBool(weight.ptr(), py::int_(0).ptr(), Py_LT) == 1)
      throw py::value_error("an arc's weight is a count, 0 or more");
    result.weight = PyLong_AsUnsignedLongLong(weight.ptr());
    if (PyErr_Occurred()) throw py::error_already_set();  // above 2^64 - 1
  }
  return result;
}

// Python's int as the library's step limit: beyond its range, the nearest
// limit that means the same (none allowed, or no limit in practice).
std::int32_t max_steps_of(const py::int_& steps) {
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(steps.ptr(), &overflow);
  if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow > 0 || value > INT32_MAX) return INT32_MAX;
  if (overflow < 0 || value < 0) return 0;
  return static_cast<std::int32_t>(value);
}

std::unique_ptr<SharedNet> shared(Net net) {
  return std::make_unique<SharedNet>(std::move(net));
}

std::unique_ptr<SharedNet> read_file(const py::object& path) {
  const std::string file = path_of(path);
  return with_path(path, [&] {
    py::gil_scoped_release release;
    return shared(Net::read_any(file));
  });
}

std::unique_ptr<SharedNet> parse_data(const py::object& data) {
  const std::string document = document_of(data);
  py::gil_scoped_release release;
  return shared(Net::parse_any(document));
}

std::unique_ptr<SharedNet> from_arcs(const py::object& places,
                                     const py::object& transitions,
                                     const py::object& arcs) {
  std::vector<std::string> place_list = names_of(places, "places");
  std::vector<std::string> transition_list =
      names_of(transitions, "transitions");
  std::vector<Arc> arc_list;
  for (const py::handle arc : py::iter(arcs)) arc_list.push_back(arc_of(arc));
  py::gil_scoped_release release;
  return shared(Net::from_arcs(
      std::move(place_list), std::move(transition_list), std::move(arc_list)));
}

Report reduce(SharedNet& shared_net, const std::string& rules,
              const py::int_& max_steps, const py::object& keep,
              const py::object& on_step) {
  Options options;
  options.rules = rules;
  options.max_steps = max_steps_of(max_steps);
  options.keep = names_of(keep, "keep");
  if (!on_step.is_none()) {
    if (!PyCallable_Check(on_step.ptr()))
      throw py::type_error("on_step must be callable or None");
    options.on_step = [&on_step](const Step& step) {
      py::gil_scoped_acquire acquire;
      py::tuple names(step.names.size());
      for (std::size_t i = 0; i < step.names.size(); ++i)
        PyTuple_SET_ITEM(names.ptr(), static_cast<Py_ssize_t>(i),
                         new_str(step.names[i]));
      on_step(py::str(std::string(1, step.rule)), names);
    };
  }
  // Ctrl-C: the signal handler only marks the signal while the GIL is
  // released; the handler runs here, and its KeyboardInterrupt stops the
  // run as an exception from on_step does.
  options.on_progress = [](std::int64_t) {
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  };
  return shared_net.use([&](Net& net) { return net.reduce(options); });
}

void write_file(SharedNet& shared_net, const py::object& path, bool pnml) {
  const std::string file = path_of(path);
  with_path(path, [&] {
    shared_net.use([&](Net& net) {
      if (pnml)
        net.write_pnml(file);
      else
        net.write(file);
    });
  });
}

// The method that calls `function` of the package's module `module` with
// the net, importing it only then.
auto delegate(const char* module, const char* function) {
  return [module, function](py::object self) {
    return py::module_::import(module).attr(function)(self);
  };
}

}  // namespace
}  // namespace marovel::python

PYBIND11_MODULE(_marovel, m) {
  using namespace marovel;
  using namespace marovel::python;
  m.doc() = "The compiled core of the marovel package.";
  m.attr("__version__") = marovel::version();
  register_error_translator();

  py::class_<Report>(m, "Report", R"doc(What a reduction did.

steps: dict mapping each enabled rule letter to its number of applications.
stopped: why the run ended, as the command says it ("no rule applies any
more", "step limit N reached", ...).)doc")
      .def_property_readonly(
          "steps",
          [](const Report& report) {
            py::dict steps;
            for (const auto& [rule, count] : report.steps)
              steps[py::str(std::string(1, rule))] = count;
            return steps;
          },
          "Applications per enabled rule letter.")
      .def_readonly("stopped", &Report::stopped, "Why the run ended.")
      .def("__repr__", [](py::object self) {
        return py::str("Report(steps={!r}, stopped={!r})")
            .format(self.attr("steps"), self.attr("stopped"));
      });

  py::class_<SharedNet, std::unique_ptr<SharedNet>> net(
      m, "Net", py::dynamic_attr(),
      R"doc(A place/transition net and what each node stands for.

Made by marovel.read(), marovel.parse(), Net.from_arcs(),
marovel.from_networkx() or marovel.from_pm4py(); reduced in place by
reduce(). A net holds no marking: tokens are not part of it.)doc");

  m.def(
      "read", &read_file, py::arg("path"),
      R"doc(Reads a net from a file: a marovel net file or a PNML file, told apart
by the root element. `path` is a str or an os.PathLike.

Raises FileNotFoundError (or another OSError) when the file cannot be
opened, marovel.Error when it is not a net marovel reads.)doc");
  m.def(
      "parse", &parse_data, py::arg("data"),
      R"doc(Reads a net from a document held in memory (str or bytes): a marovel
net file or a PNML document, told apart by the root element.

Raises marovel.Error when it is not a net marovel reads.)doc");

  net.def_static(
         "from_arcs", &from_arcs, py::arg("places"), py::arg("transitions"),
         py::arg("arcs"),
         R"doc(Builds a net from lists of place and transition names and arcs.

Each arc is (source, target) or (source, target, weight) and joins a place
and a transition, either way; parallel arcs add up and an arc of weight 0
adds nothing. Raises marovel.Error for a net marovel would refuse (no
places, transitions or arcs, an arc whose ends are not a place and a
transition of the lists, a name that is not XML text).)doc")
      .def_property_readonly(
          "places",
          [](SharedNet& shared_net) {
            return list_of(shared_net.use([](Net& n) { return n.places(); }));
          },
          "The surviving places' names, in name order (a new list).")
      .def_property_readonly(
          "transitions",
          [](SharedNet& shared_net) {
            return list_of(
                shared_net.use([](Net& n) { return n.transitions(); }));
          },
          "The surviving transitions' names, in name order (a new list).")
      .def_property_readonly(
          "arcs",
          [](SharedNet& shared_net) {
            return arcs_of(shared_net.use([](Net& n) {
              return ArcData{n.places(), n.transitions(), n.indexed_arcs()};
            }));
          },
          R"doc(Every arc as (source, target, weight), parallel arcs once with their
weights added, in the order the writer writes them: by source, places
first, then by target (a new list).)doc")
      .def_property_readonly(
          "aggregates",
          [](SharedNet& shared_net) {
            return aggregates_of(
                shared_net.use([](Net& n) { return n.aggregates(); }));
          },
          R"doc(A read-only mapping from each survivor's name to the tuple of input
node names it stands for, itself included, in name order. A place and a
transition of one name share one entry. Built anew at each access: keep
it while you use it, or call aggregate() for one node.)doc")
      .def(
          "aggregate",
          [](SharedNet& shared_net, const std::string& node) {
            const std::vector<std::string> members =
                shared_net.use([&](Net& n) { return n.aggregate(node); });
            return py::tuple(list_of(members));
          },
          py::arg("node"),
          "The input node names that survivor `node` stands for (a tuple).")
      .def_property_readonly(
          "place_count",
          [](SharedNet& s) {
            return s.use([](Net& n) { return n.place_count(); });
          },
          "The number of places.")
      .def_property_readonly(
          "transition_count",
          [](SharedNet& s) {
            return s.use([](Net& n) { return n.transition_count(); });
          },
          "The number of transitions.")
      .def_property_readonly(
          "arc_count",
          [](SharedNet& s) {
            return s.use([](Net& n) { return n.arc_count(); });
          },
          "The number of arcs (parallel arcs counted once).")
      .def(
          "reduce", &reduce, py::arg("rules") = "ABCDEF",
          py::arg("max_steps") = 2000000, py::arg("keep") = py::tuple(),
          py::arg("on_step") = py::none(),
          R"doc(Reduces the net in place, one rule application at a time, as the
marovel command does; returns a Report. Can be called again: each run goes
on from the net the last one left.

rules: the letters A to F of the rules that may apply.
max_steps: at most this many applications (0 or less: none).
keep: names of places or transitions no rule may erase (each must be a
  node of the net, else marovel.Error); a kept node may absorb others.
on_step: called as on_step(rule, names) after each application, with the
  rule letter and the tuple of names its log line holds. An exception it
  raises stops the reduction and propagates; the net stays valid, as after
  that step.

Ctrl-C (KeyboardInterrupt) stops a long run the same way. Other Python
threads run while the net is reduced.)doc")
      .def(
          "write",
          [](SharedNet& s, const py::object& path) {
            write_file(s, path, false);
          },
          py::arg("path"),
          R"doc(Writes the net in marovel's output format at `path` (str or
os.PathLike): what the command writes for the same input and options,
apart from the date. The file is whole or untouched.)doc")
      .def(
          "write_pnml",
          [](SharedNet& s, const py::object& path) {
            write_file(s, path, true);
          },
          py::arg("path"),
          R"doc(Writes the net as PNML at `path` (str or os.PathLike), named after the
path's last component without its extension.)doc")
      .def(
          "to_xml",
          [](SharedNet& s) { return s.use([](Net& n) { return n.to_xml(); }); },
          "The document write() writes, as a str.")
      .def(
          "to_pnml",
          [](SharedNet& s, const std::string& name) {
            return s.use([&](Net& n) { return n.to_pnml(name); });
          },
          py::arg("name") = "net", "The net as a PNML document named `name`.")
      .def(
          "to_dot",
          [](SharedNet& s) { return s.use([](Net& n) { return n.to_dot(); }); },
          "The net as a Graphviz picture (as net2dot draws it), a str.")
      .def(
          "to_networkx", delegate("marovel._networkx", "to_networkx"),
          R"doc(The net as a networkx.MultiDiGraph (networkx is imported only now).

Nodes are keyed by name and carry `kind` ("place" or "transition") and
`aggregates` (the tuple of input names); each arc is an edge with
`weight`. A net with a place and a transition of one name is refused with
marovel.Error, as a graph cannot hold both.)doc")
      .def("to_pm4py", delegate("marovel._pm4py", "to_pm4py"),
           R"doc(The net as a pm4py PetriNet (pm4py is imported only now).

Each transition keeps the label it had when the net came from
marovel.from_pm4py() (None for a silent one); a transition of a net that
came from elsewhere is labelled with its name. Markings are not part of
marovel's nets: see marovel.from_pm4py().)doc")
      .def("__repr__", [](SharedNet& s) {
        const auto [places, transitions, arcs] = s.use([](Net& n) {
          return std::tuple(n.place_count(), n.transition_count(),
                            n.arc_count());
        });
        return "<marovel.Net: " + std::to_string(places) + " places, " +
               std::to_string(transitions) + " transitions, " +
               std::to_string(arcs) + " arcs>";
      });
}
