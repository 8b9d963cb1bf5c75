#include "pnml/pnml_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <tuple>

#include "base/test_status.h"
#include "pnml/pnml_reader_for_testing.h"

namespace marovel {
namespace {

constexpr char kPtType[] = "http://www.pnml.org/version-2009/grammar/ptnet";

std::string pnml(const std::string& body, const std::string& type = kPtType) {
  return "<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">"
         "<net id=\"n\" type=\"" +
         type + "\">" + body + "</net></pnml>";
}

// Loads and reads one document; the document stays alive with the net.
struct Read {
  explicit Read(const std::string& text, std::string_view wanted = "") {
    Status status = load_xml_string(text, doc);
    if (status.ok()) status = read_pnml(doc, wanted, net);
    ok = status.ok();
    error = status.message();
  }
  XmlDocument doc;
  PtNet net;
  std::string error;
  bool ok = false;
};

std::vector<std::string> ids(const std::vector<PtNode>& nodes) {
  std::vector<std::string> result;
  for (const PtNode& node : nodes) result.emplace_back(node.id);
  return result;
}

// "p>t:2" for each arc, in the net's order.
std::vector<std::string> arcs(const PtNet& net) {
  std::vector<std::string> result;
  for (const PtArc& arc : net.arcs) {
    const std::string place(net.places[arc.place].id);
    const std::string transition(net.transitions[arc.transition].id);
    result.push_back((arc.to_transition ? place + ">" + transition
                                        : transition + ">" + place) +
                     ":" + std::to_string(arc.weight));
  }
  return result;
}

TEST(PnmlReaderTest, NodesAtAnyDepthInDocumentOrderWithLabels) {
  // Arcs come first, pages nest three deep, and a place stands directly in
  // the net as well as after a nested page.
  const Read read(
      pnml("<arc id='a1' source='p1' target='t1'/>"
           "<arc id='a2' source='t1' target='p4'/>"
           "<place id='p1'><name><text>  first\nplace </text></name>"
           "<initialMarking><text> 007 </text></initialMarking></place>"
           "<page id='g1'><place id='p2'><name><text>p2</text></name>"
           "<initialMarking><text>0</text></initialMarking></place>"
           "<page id='g2'><page id='g3'><transition id='t1'>"
           "<name><graphics/><text>fire</text></name></transition></page>"
           "<place id='p3'><name/></place></page>"
           "<place id='p4'><toolspecific tool='x'/></place></page>"));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.net.id, "n");
  EXPECT_EQ(ids(read.net.places),
            (std::vector<std::string>{"p1", "p2", "p3", "p4"}));
  EXPECT_EQ(ids(read.net.transitions), std::vector<std::string>{"t1"});
  EXPECT_EQ(read.net.places[0].name, "first\nplace");
  EXPECT_EQ(read.net.places[0].marking, "7");
  EXPECT_EQ(read.net.places[1].marking, "0");
  EXPECT_EQ(read.net.places[2].name, "");
  EXPECT_EQ(read.net.places[3].marking, "0");
  EXPECT_EQ(read.net.transitions[0].name, "fire");
  EXPECT_EQ(arcs(read.net), (std::vector<std::string>{"p1>t1:1", "t1>p4:1"}));
}

TEST(PnmlReaderTest, ParallelArcsAddUpAndReferencesLeadToTheirNode) {
  // rp2 -> rp1 -> p on another page; rt -> t. Arcs through a reference
  // and to the node itself are the same arc.
  const Read read(
      pnml("<page id='a'><place id='p'/><transition id='t'/>"
           "<arc id='x1' source='p' target='t'>"
           "<inscription><text>2</text></inscription></arc>"
           "<arc id='x2' source='t' target='p'/></page>"
           "<page id='b'><referencePlace id='rp2' ref='rp1'/>"
           "<referencePlace id='rp1' ref='p'/>"
           "<referenceTransition id='rt' ref='t'/>"
           "<arc id='x3' source='rp2' target='rt'>"
           "<inscription><text>3</text></inscription></arc>"
           "<arc id='x4' source='rt' target='rp1'><type value='normal'/></arc>"
           "<arc id='x5' source='rp1' target='t'/></page>"));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(ids(read.net.places), std::vector<std::string>{"p"});
  EXPECT_EQ(ids(read.net.transitions), std::vector<std::string>{"t"});
  EXPECT_EQ(arcs(read.net), (std::vector<std::string>{"p>t:6", "t>p:2"}));
}

TEST(PnmlReaderTest, NetChoiceTypesAndPrefixes) {
  const std::string two_nets =
      "<pnml><net id='a' type='" + std::string(kPtType) +
      "'><place id='p'/><transition id='t'/>"
      "<arc id='x' source='p' target='t'/></net>"
      "<net id='b' type='" +
      kPtType +
      "'><place id='q'/><transition id='u'/>"
      "<arc id='y' source='u' target='q'/></net></pnml>";
  const Read picked(two_nets, "b");
  ASSERT_TRUE(picked.ok) << picked.error;
  EXPECT_EQ(ids(picked.net.places), std::vector<std::string>{"q"});

  const std::string body =
      "<page id='g'><place id='p'/><transition id='t'/>"
      "<arc id='x' source='p' target='t'/></page>";
  for (const char* type :
       {"http://www.pnml.org/version-2009/grammar/ptnet",
        "http://www.pnml.org/version-2009/grammar/ptnet/",
        "http://www.informatik.hu-berlin.de/top/pntd/ptNetb",
        "http://www.pnml.org/version-2009/grammar/PTNet.pntd"}) {
    const Read read(pnml(body, type));
    EXPECT_TRUE(read.ok) << type << ": " << read.error;
  }
  const Read prefixed(
      "<x:pnml xmlns:x='http://www.pnml.org/version-2009/grammar/pnml'>"
      "<x:net id='n' type='" +
      std::string(kPtType) +
      "'><x:page id='g'><x:place id='p'/><x:transition id='t'/>"
      "<x:arc id='a' source='t' target='p'><x:inscription><x:text>5"
      "</x:text></x:inscription></x:arc></x:page></x:net></x:pnml>");
  ASSERT_TRUE(prefixed.ok) << prefixed.error;
  EXPECT_EQ(arcs(prefixed.net), std::vector<std::string>{"t>p:5"});
}

// An inscription is any positive integer the grammar's type allows (a plus
// sign, leading zeros), up to what a fused weight can be, and parallel arcs
// add up in full; anything else is refused.
TEST(PnmlReaderTest, InscriptionsAreReadInFull) {
  const std::string nodes = "<place id='p'/><transition id='t'/>";
  const auto arc = [](const std::string& id, const std::string& text) {
    return "<arc id='" + id + "' source='p' target='t'><inscription><text>" +
           text + "</text></inscription></arc>";
  };
  const std::pair<std::string, std::string> cases[] = {
      {arc("a", "2147483648"), "p>t:2147483648"},
      {arc("a", " +0042 "), "p>t:42"},
      {arc("a", "18446744073709551615"), "p>t:18446744073709551615"},
      {arc("a", "4294967294") + arc("b", "4294967294"), "p>t:8589934588"},
      {arc("a", "18446744073709551616"),
       "arc 'a' has the inscription '18446744073709551616', which is not a "
       "positive integer of at most 18446744073709551615"},
      {arc("a", "-5"),
       "arc 'a' has the inscription '-5', which is not a positive integer of "
       "at most 18446744073709551615"},
      {arc("a", "+0"),
       "arc 'a' has the inscription '+0', which is not a positive integer of "
       "at most 18446744073709551615"},
  };
  for (const auto& [body, expected] : cases) {
    const Read read(pnml(nodes + body));
    const std::string got = read.ok ? arcs(read.net).at(0) : read.error;
    EXPECT_EQ(got, expected) << body;
  }
}

// Refusals beyond the ones the command-line tests show with fixtures.
TEST(PnmlReaderTest, Refusals) {
  const std::string nodes = "<place id='p'/><transition id='t'/>";
  const std::string arc = "<arc id='a' source='p' target='t'/>";
  struct Case {
    std::string document;
    std::string error;
  };
  const Case cases[] = {
      {"<pnml/>", "the PNML file holds no net"},
      {pnml(nodes + arc, "http://www.pnml.org/version-2009/grammar/pt-hlpng"),
       "the net 'n' is of type "
       "'http://www.pnml.org/version-2009/grammar/pt-hlpng', not a "
       "place/transition net; only those can be converted"},
      {"<pnml><net id='n'>" + nodes + arc + "</net></pnml>",
       "the net 'n' has no type; only place/transition nets can be "
       "converted"},
      {pnml(nodes),
       "the net 'n' has no arcs, and marovel's nets need at "
       "least one"},
      {pnml(nodes + "<page id='g'><place id='t'/></page>" + arc),
       "the id 't' is given to more than one node"},
      {pnml(nodes + "<place/>" + arc), "a place has no id"},
      {pnml("<place id='p'><initialMarking><text>-1</text></initialMarking>"
            "</place><transition id='t'/>" +
            arc),
       "place 'p' has the initial marking '-1', which is not a non-negative "
       "integer"},
      {pnml(nodes + "<arc id='a' target='t'/>"), "arc 'a' has no source"},
      {pnml(nodes + "<arc id='a' source='p' target='t' type='transfer'/>"),
       "arc 'a' is of type 'transfer'; only ordinary arcs can be converted"},
      {pnml(nodes + "<arc id='a' source='p' target='t'><inscription/></arc>"),
       "arc 'a' has the inscription '', which is not a positive integer of "
       "at most 18446744073709551615"},
      {pnml(nodes + "<arc id='a' source='p' target='t'><inscription><text>"
                    "18446744073709551615</text></inscription></arc>"
                    "<arc id='b' source='p' target='t'/>"),
       "the arcs from 'p' to 't' add up to more than 18446744073709551615"},
      {pnml(nodes + "<referencePlace id='r' ref='t'/>" +
            "<arc id='a' source='r' target='t'/>"),
       "the referencePlace 'r' leads to the transition 't'"},
      {pnml(nodes + "<referenceTransition id='r' ref='gone'/>" + arc),
       "the reference 'r' names 'gone', which is no node of the net"},
      {pnml(nodes + "<referencePlace id='r' ref='r'/>" + arc),
       "the reference 'r' leads back to itself through a cycle of "
       "references"},
  };
  for (const Case& c : cases) {
    const Read read(c.document);
    EXPECT_FALSE(read.ok) << c.document;
    EXPECT_EQ(read.error, c.error);
  }
  const Read unknown_net(pnml(nodes + arc), "m");
  EXPECT_EQ(unknown_net.error,
            "the PNML file holds no net with the id 'm' (its nets: 'n')");
}

// The same document read from a file, converted while it is parsed.
struct FileRead {
  explicit FileRead(const std::string& text, std::string_view wanted = "") {
    // A name of its own: the tests may run in parallel processes.
    std::string path = testing::TempDir() + "pnml_reader_test_XXXXXX";
    const int fd = mkstemp(path.data());
    EXPECT_GE(fd, 0);
    close(fd);
    std::ofstream(path, std::ios::binary) << text;
    status = read_pnml_file(path, wanted, net);
    std::remove(path.c_str());
  }
  PtNet net;
  Status status;
};

// Where the two reads could differ: arc kinds declared in nested elements,
// labels in pieces, and which of several faults is reported.
TEST(PnmlReaderTest, FileAndDocumentReadAlike) {
  const std::string nodes = "<place id='p'/><transition id='t'/>";
  const auto arc = [](const std::string& content,
                      const std::string& attributes = "") {
    return "<arc id='a' source='p' target='t'" + attributes + ">" + content +
           "</arc>";
  };
  struct Case {
    std::string body;
    std::string expected;  // the arcs and the place's name, or the error
  };
  const Case cases[] = {
      // The kind declared first in document order wins, even when a later
      // declaration inside it ends first.
      {nodes + arc("<other><type><text>read</text></type></other>"
                   "<type value='inhibitor'/>"),
       "arc 'a' is of type 'read'; only ordinary arcs can be converted"},
      {nodes + arc("<type><text>reset<type value='inhibitor'/></text></type>"),
       "arc 'a' is of type 'reset'; only ordinary arcs can be converted"},
      {nodes + arc("<type value='read'/>", " arcType='reset'"),
       "arc 'a' is of type 'reset'; only ordinary arcs can be converted"},
      {nodes + arc("<arctype><value>test</value></arctype>"),
       "arc 'a' is of type 'test'; only ordinary arcs can be converted"},
      {nodes + arc("<toolspecific><arcType> Inhibitor <!--x--></arcType>"
                   "</toolspecific>"),
       "arc 'a' is of type 'Inhibitor'; only ordinary arcs can be converted"},
      // A text child outranks a value child before it; inscriptions and
      // drawings declare nothing.
      {nodes + arc("<type><value>test</value><text>Normal</text></type>"
                   "<inscription><text>2</text><type value='read'/>"
                   "</inscription><graphics><type value='read'/></graphics>"),
       "p>t:2 name="},
      // Labels: text in pieces, a value child, the first of two names.
      {"<place id='p'><name><value>old</value><text> new<!--c-->er "
       "</text></name><name><text>second</text></name></place>"
       "<transition id='t'/>" +
           arc("<inscription><value>1<![CDATA[2]]>&#51;</value>"
               "</inscription>"),
       "p>t:123 name=newer"},
      {"<place id='p'><initialMarking><text>1 <![CDATA[2]]></text>"
       "</initialMarking></place><transition id='t'/>" +
           arc(""),
       "place 'p' has the initial marking '1 2', which is not a "
       "non-negative integer"},
      // Of two arcs at fault, the first in the file is reported, whether
      // its fault shows while parsing or only once ids are looked up.
      {nodes + arc("<inscription><text>x</text></inscription>") +
           "<arc id='b' source='nowhere' target='t'/>",
       "arc 'a' has the inscription 'x', which is not a positive integer of "
       "at most 18446744073709551615"},
      {nodes + "<arc id='b' source='p' target='nowhere'/>" +
           arc("<type value='reset'/>"),
       "arc 'b' has the target 'nowhere', which is no node of the net"},
      {nodes + "<arc id='b' source='p' target='p'/>" +
           arc("<inscription><text>0</text></inscription>"),
       "arc 'b' goes from the place 'p' to the place 'p'; an arc must join a "
       "place and a transition"},
      // The id reported twice is the first one met taking places before
      // transitions, as the file's order would not say.
      {"<transition id='a'/><transition id='a'/><place id='b'/>"
       "<place id='b'/>" +
           arc(""),
       "the id 'b' is given to more than one node"},
  };
  for (const Case& c : cases) {
    const std::string document = pnml(c.body);
    const Read read(document);
    const FileRead file_read(document);
    for (const auto& [ok, net, error] :
         {std::tuple<bool, const PtNet*, const std::string*>{read.ok, &read.net,
                                                             &read.error},
          {file_read.status.ok(), &file_read.net,
           &file_read.status.message()}}) {
      std::string got = *error;
      if (ok) {
        got.clear();
        for (const std::string& a : arcs(*net)) got += a + " ";
        got += "name=" + std::string(net->places[0].name);
      }
      EXPECT_EQ(got, c.expected) << c.body;
    }
    if (!read.ok) {
      EXPECT_EQ(file_read.status.code(), Status::Code::kInvalidInput) << c.body;
    }
  }
}

// A file that is not well-formed XML is refused as such, in the words of
// the XML layer, whatever the reader would have said of what comes before
// the fault; the other nets still count until the end.
TEST(PnmlReaderTest, FileReadReportsMalformedXmlFirst) {
  const std::string place_at_fault =
      "<place id='p'><initialMarking><text>-1</text></initialMarking>"
      "</place>";
  const std::string documents[] = {
      pnml(place_at_fault).substr(0, 120),
      pnml(place_at_fault + "<transition id='t'>\n</place>"),
      "<petrinet><net>&undefined;</net></petrinet>",
      pnml(place_at_fault) + "\n<pnml/>",
  };
  for (const std::string& document : documents) {
    XmlDocument doc;
    const Status loaded = load_xml_string(document, doc);
    ASSERT_FALSE(loaded.ok()) << document;
    const FileRead read(document);
    EXPECT_EQ(read.status.code(), Status::Code::kIoError) << document;
    EXPECT_EQ(read.status.message(), loaded.message());
  }
  const FileRead two_nets("<pnml><net id='a' type='ptnet'>" + place_at_fault +
                          "</net><net id='b' type='ptnet'/></pnml>");
  EXPECT_EQ(two_nets.status.code(), Status::Code::kInvalidInput);
  EXPECT_EQ(two_nets.status.message(),
            "the PNML file holds 2 nets ('a', 'b'); pick one with --net ID");

  const FileRead missing_net("<pnml/>", "n");
  EXPECT_EQ(missing_net.status.code(), Status::Code::kInvalidInput);
  EXPECT_EQ(missing_net.status.message(), "the PNML file holds no net");
}

// The file is read in buffers of 4 MiB: comments pad it so that the seams
// fall inside an inscription's digits and inside a place's name.
TEST(PnmlReaderTest, FileReadAcrossBufferSeams) {
  constexpr size_t kSeam = size_t{4} << 20;
  std::string text = pnml("");
  text.resize(text.find("</net>"));
  text += "<transition id='t'/>";
  // Adds `opening` so that `seam` falls three bytes after its end.
  const auto straddle = [&](size_t seam, const std::string& opening) {
    text += "<!--";
    text.append(seam - 3 - opening.size() - text.size() - 3, ' ');
    text += "-->" + opening;
  };
  straddle(kSeam, "<arc id='a' source='p' target='t'><inscription><text>");
  text += "1234567</text></inscription></arc>";
  straddle(2 * kSeam, "<place id='p'><name><text>");
  text += "split across the seam</text></name></place></net></pnml>";

  const FileRead read(text);
  ASSERT_TRUE(IsOk(read.status));
  EXPECT_EQ(arcs(read.net), std::vector<std::string>{"p>t:1234567"});
  EXPECT_EQ(read.net.places[0].name, "split across the seam");
}

}  // namespace
}  // namespace marovel
