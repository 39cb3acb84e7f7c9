// The legacy serializer: see legacy_html.h. The tree is walked with an explicit stack, so a
// page of deeply nested tags cannot exhaust the call stack.
#include "fetch/legacy_html.h"

#include <gumbo.h>

#include <memory>
#include <vector>

namespace karigane {
namespace {

bool is_void(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR:
      return true;
    default:
      return false;
  }
}

// Elements whose text the parser takes literally; escaping it would change the page.
bool is_raw_text(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PLAINTEXT:
      return true;
    default:
      return false;
  }
}

// The parser drops one newline right after these start tags, so it is written back twice.
bool drops_leading_newline(GumboTag tag) {
  return tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_TEXTAREA || tag == GUMBO_TAG_LISTING;
}

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view element_name(const GumboElement& e) {
  if (e.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(e.tag);
  GumboStringPiece piece = e.original_tag;
  if (piece.data == nullptr || piece.length == 0) return {};
  gumbo_tag_from_original_text(&piece);
  return {piece.data, piece.length};
}

void append_upper(std::string& out, std::string_view name) {
  for (char c : name) out.push_back(ascii_upper(c));
}

bool unquoted_value_ok(std::string_view value) {
  for (char ch : value) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x80) continue;
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

void append_text(std::string& out, std::string_view text) {
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\xC2':
        if (i + 1 < n && text[i + 1] == '\xA0') {
          out += "&nbsp;";
          ++i;
        } else {
          out.push_back(c);
        }
        break;
      default:
        out.push_back(c);
    }
  }
}

void append_attribute(std::string& out, const GumboAttribute& a) {
  out.push_back(' ');
  switch (a.attr_namespace) {
    case GUMBO_ATTR_NAMESPACE_XLINK:
      out += "xlink:";
      break;
    case GUMBO_ATTR_NAMESPACE_XML:
      out += "xml:";
      break;
    case GUMBO_ATTR_NAMESPACE_XMLNS:
      if (std::string_view(a.name) != "xmlns") out += "xmlns:";
      break;
    default:
      break;
  }
  for (const char* p = a.name; *p != '\0'; ++p) out.push_back(ascii_lower(*p));
  const std::string_view value(a.value);
  if (value.empty()) return;
  out.push_back('=');
  if (unquoted_value_ok(value)) {
    out += value;
    return;
  }
  out.push_back('"');
  for (char c : value) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

void append_start_tag(std::string& out, const GumboElement& e, std::string_view name) {
  out.push_back('<');
  append_upper(out, name);
  for (unsigned i = 0; i < e.attributes.length; ++i) {
    append_attribute(out, *static_cast<const GumboAttribute*>(e.attributes.data[i]));
  }
  out.push_back('>');
}

bool is_element(const GumboNode* n) {
  return n->type == GUMBO_NODE_ELEMENT || n->type == GUMBO_NODE_TEMPLATE;
}

const GumboNode* find_body(const GumboNode* root) {
  if (root == nullptr || !is_element(root)) return nullptr;
  const GumboVector& children = root->v.element.children;
  for (unsigned i = 0; i < children.length; ++i) {
    const auto* child = static_cast<const GumboNode*>(children.data[i]);
    if (is_element(child) && child->v.element.tag == GUMBO_TAG_BODY) return child;
  }
  return nullptr;
}

struct frame {
  const GumboNode* node;
  unsigned next_child;
  bool raw_text;
};

void serialize(const GumboNode* top, std::string& out) {
  std::vector<frame> stack;
  auto open = [&](const GumboNode* node, bool parent_raw) {
    switch (node->type) {
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE: {
        const GumboElement& e = node->v.element;
        append_start_tag(out, e, element_name(e));
        if (is_void(e.tag) && e.tag_namespace == GUMBO_NAMESPACE_HTML) return;
        if (drops_leading_newline(e.tag) && e.children.length > 0) {
          const auto* first = static_cast<const GumboNode*>(e.children.data[0]);
          if ((first->type == GUMBO_NODE_TEXT || first->type == GUMBO_NODE_WHITESPACE) &&
              first->v.text.text[0] == '\n') {
            out.push_back('\n');
          }
        }
        stack.push_back({node, 0, is_raw_text(e.tag)});
        return;
      }
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_WHITESPACE:
      case GUMBO_NODE_CDATA:
        if (parent_raw) {
          out += node->v.text.text;
        } else {
          append_text(out, node->v.text.text);
        }
        return;
      case GUMBO_NODE_COMMENT:
        out += "<!--";
        out += node->v.text.text;
        out += "-->";
        return;
      default:
        return;
    }
  };

  open(top, false);
  while (!stack.empty()) {
    frame& f = stack.back();
    const GumboElement& e = f.node->v.element;
    if (f.next_child < e.children.length) {
      const auto* child = static_cast<const GumboNode*>(e.children.data[f.next_child++]);
      open(child, f.raw_text);  // may grow the stack; `f` is not used after this
      continue;
    }
    out += "</";
    append_upper(out, element_name(e));
    out.push_back('>');
    stack.pop_back();
  }
}

struct output_deleter {
  void operator()(GumboOutput* o) const { gumbo_destroy_output(&kGumboDefaultOptions, o); }
};

}  // namespace

bool legacy_body_html(std::string_view document, std::string& out) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // the parse errors are never read
  std::unique_ptr<GumboOutput, output_deleter> parsed(
      gumbo_parse_with_options(&options, document.data(), document.size()));
  if (!parsed) return false;
  const GumboNode* body = find_body(parsed->root);
  if (body == nullptr) return false;
  std::string text;
  text.reserve(document.size() + document.size() / 8 + 64);
  serialize(body, text);
  out = std::move(text);
  return true;
}

}  // namespace karigane
