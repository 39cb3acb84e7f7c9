// The legacy body through the full HTML5 parser (gumbo): see legacy_parsers.h. The tree is
// walked with an explicit stack, so a page of deeply nested tags cannot exhaust the call stack.
#include "markup/legacy_parsers.h"

#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "markup/legacy_writer.h"

namespace karigane {
namespace {

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

std::string_view element_name(const GumboElement& e) {
  if (e.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(e.tag);
  GumboStringPiece piece = e.original_tag;
  if (piece.data == nullptr || piece.length == 0) return {};
  gumbo_tag_from_original_text(&piece);
  return {piece.data, piece.length};
}

void append_attribute(std::string& out, const GumboAttribute& a) {
  std::string_view prefix;
  switch (a.attr_namespace) {
    case GUMBO_ATTR_NAMESPACE_XLINK:
      prefix = "xlink:";
      break;
    case GUMBO_ATTR_NAMESPACE_XML:
      prefix = "xml:";
      break;
    case GUMBO_ATTR_NAMESPACE_XMLNS:
      if (std::string_view(a.name) != "xmlns") prefix = "xmlns:";
      break;
    default:
      break;
  }
  if (prefix.empty()) {
    legacy_writer::append_attribute(out, a.name, a.value);
  } else {
    legacy_writer::append_attribute(out, std::string(prefix) + a.name, a.value);
  }
}

void append_start_tag(std::string& out, const GumboElement& e, std::string_view name) {
  out.push_back('<');
  legacy_writer::append_tag_name(out, name);
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
        if (e.tag_namespace == GUMBO_NAMESPACE_HTML && legacy_writer::is_void_element(gumbo_normalized_tagname(e.tag))) {
          return;
        }
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
          legacy_writer::append_text(out, node->v.text.text);
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
    legacy_writer::append_tag_name(out, element_name(e));
    out.push_back('>');
    stack.pop_back();
  }
}

// The parser makes many small allocations; taking them from blocks that are dropped together
// after the page is serialized saves a good part of the parse time. One arena per thread,
// reused from page to page.
class parse_arena {
 public:
  static void* allocate(void* self, std::size_t size) {
    return static_cast<parse_arena*>(self)->take(size);
  }
  static void release(void*, void*) {}  // everything goes at reset()

  // Forgets every allocation; the blocks stay for the next page, up to a limit.
  void reset() {
    std::size_t kept = 0;
    std::size_t n = 0;
    while (n < blocks_.size() && kept + blocks_[n].size <= kRetainedBytes) kept += blocks_[n++].size;
    blocks_.resize(n);  // a huge page's blocks are given back
    current_ = 0;
    used_ = 0;
  }

 private:
  static constexpr std::size_t kBlockBytes = 1024 * 1024;
  static constexpr std::size_t kRetainedBytes = 16 * 1024 * 1024;
  static constexpr std::size_t kAlign = alignof(std::max_align_t);

  void* take(std::size_t size) {
    size = (size + kAlign - 1) / kAlign * kAlign;
    while (current_ < blocks_.size() && used_ + size > blocks_[current_].size) {
      ++current_;
      used_ = 0;
    }
    if (current_ == blocks_.size()) {
      const std::size_t bytes = std::max(size, kBlockBytes);
      blocks_.push_back({std::make_unique_for_overwrite<std::max_align_t[]>(bytes / kAlign), bytes});
    }
    void* p = reinterpret_cast<char*>(blocks_[current_].data.get()) + used_;
    used_ += size;
    return p;
  }

  struct block {
    std::unique_ptr<std::max_align_t[]> data;
    std::size_t size;
  };
  std::vector<block> blocks_;
  std::size_t current_ = 0;
  std::size_t used_ = 0;
};

// Resets the arena however the serialization ends.
struct arena_reset {
  parse_arena& arena;
  ~arena_reset() { arena.reset(); }
};

}  // namespace

bool parsed_body_html(std::string_view document, std::string& out) {
  thread_local parse_arena arena;
  const arena_reset reset_at_end{arena};
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &parse_arena::allocate;
  options.deallocator = &parse_arena::release;
  options.userdata = &arena;
  options.max_errors = 0;  // the parse errors are never read
  const GumboOutput* parsed = gumbo_parse_with_options(&options, document.data(), document.size());
  if (parsed == nullptr) return false;
  const GumboNode* body = find_body(parsed->root);
  if (body == nullptr) return false;
  std::string text;
  text.reserve(document.size() + document.size() / 8 + 64);
  serialize(body, text);
  out = std::move(text);
  return true;
}

}  // namespace karigane
