// The command line's progress view: see cli_progress.h.
#include "cli/cli_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace karigane {
namespace {

// The terminal's width; 80 when it does not say.
std::size_t terminal_columns(std::FILE* f) {
  winsize w{};
  if (::ioctl(::fileno(f), TIOCGWINSZ, &w) == 0 && w.ws_col > 0) return w.ws_col;
  return 80;
}

}  // namespace

namespace {

// The bytes of `text` that fit in `columns` terminal columns, and the columns they take.
struct fitted {
  std::size_t bytes = 0;
  std::size_t columns = 0;
};

fitted fit(const std::string& text, std::size_t columns) {
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    char32_t code = lead;
    if (lead >= 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else if (lead >= 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xC0) {
      length = 2;
      code = lead & 0x1F;
    }
    if (i + length > text.size()) break;
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    const std::size_t width = code >= 0x2E80 ? 2 : 1;
    if (used + width > columns) break;
    used += width;
    i += length;
  }
  return {i, used};
}

}  // namespace

std::string fit_to_columns(const std::string& text, std::size_t columns) {
  return text.substr(0, fit(text, columns).bytes);
}

std::size_t text_columns(const std::string& text) {
  return fit(text, static_cast<std::size_t>(-1)).columns;
}

progress_printer::progress_printer(std::FILE* err, progress_style style)
    : err_(err), style_(style) {}

void progress_printer::pump(const run_context& ctx) {
  if (style_ == progress_style::none) return;
  const auto t = std::chrono::steady_clock::now();
  const auto interval = style_ == progress_style::terminal
                            ? std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  kRedrawInterval)
                            : std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  kPlainInterval);
  if (printed_any_ && t - last_ < interval) return;
  const progress_snapshot s = ctx.progress.snapshot();
  if (!s.active) {
    clear();
    return;
  }
  if (style_ == progress_style::terminal) {
    last_ = t;
    printed_any_ = true;
    draw_terminal(s);
  } else if (s.index > 0) {
    // A plain line once there is an item to count: the first comes at once.
    last_ = t;
    printed_any_ = true;
    print_plain(s, ctx.now());
  }
}

void progress_printer::draw_terminal(const progress_snapshot& s) {
  // One column short of the width: a line that fills it would wrap on some terminals.
  const std::string line = fit_to_columns(progress_line_text(s), terminal_columns(err_) - 1);
  std::lock_guard<std::mutex> lock(m_);
  if (line_shown_ && line == shown_) return;
  shown_ = line;
  line_shown_ = true;
  write("\r" + line + "\x1b[K");
}

void progress_printer::print_plain(const progress_snapshot& s, const local_time& now) {
  write(time_stamp_text(now) + " " + progress_line_text(s) + "\n");
}

void progress_printer::clear() {
  std::lock_guard<std::mutex> lock(m_);
  if (!line_shown_) return;
  line_shown_ = false;
  shown_.clear();
  write("\r\x1b[K");
}

void progress_printer::write(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), err_);
  std::fflush(err_);
}

}  // namespace karigane
