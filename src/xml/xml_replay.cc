#include "xml/xml_replay.h"

#include <vector>

namespace marovel {

void replay_xml(const XmlDocument& doc, XmlContentHandler& handler) {
  // Walks the tree without recursion: `resume` holds, for each element
  // opened, the sibling to go on with once it is closed.
  std::vector<const XmlNode*> resume;
  const XmlNode* node = doc.root();
  const XmlNode* const root = node;
  XmlInterest interest = XmlInterest::kEverything;
  while (node != nullptr) {
    const XmlNode* next = node == root ? nullptr : node->next_sibling;
    if (node->is_element()) {
      handler.start_element(node->name, node->attributes);
      interest = handler.interest();
      if (node->first_child != nullptr && interest != XmlInterest::kNothing) {
        resume.push_back(next);
        node = node->first_child;
        continue;
      }
      handler.end_element();
      interest = handler.interest();
    } else if (interest == XmlInterest::kEverything) {
      handler.content(node->type, node->content);
    }
    // The rest of an element its handler lost interest in is passed over.
    while ((next == nullptr || interest == XmlInterest::kNothing) &&
           !resume.empty()) {
      handler.end_element();
      interest = handler.interest();
      next = resume.back();
      resume.pop_back();
    }
    node = next;
  }
}

}  // namespace marovel
