// The pages of a run: the page being written in memory, the pages before it
// in the run's temporary page file.
//
// A kept page is one record of the file: its number, heading end, layout,
// links and lines, each cell with its place, column, font, link, the field
// of a number too wide for it, and text.
// The file is the process's own scratch space (read back by the same
// program, never kept), so numbers are written as they lie in memory.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "qxsys/user_folders.h"
#include "report_model.h"

namespace qxreport {

namespace {

// Reports rewrite one link descriptor per row: most rows carry a new link,
// but a link repeated on several cells of a row is kept once.
constexpr int kLinkLookBack = 16;

int TrimmedSize(const std::string& text) {
  const std::size_t e = text.find_last_not_of(' ');
  return e == std::string::npos ? 0 : static_cast<int>(e + 1);
}

std::string TempFolder() { return qxsys::TemporaryFolder(); }

[[noreturn]] void Fail(const std::string& what, int error) {
  throw std::runtime_error("the temporary file of its pages in " + TempFolder() + " could not be " + what +
                           " (" + std::strerror(error) + ")");
}

// --- Writing a page ---------------------------------------------------------------

template <class T>
void Put(std::string& out, T value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

void PutText(std::string& out, const std::string& text) {
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

// Appends the bytes of `page` to `out`.
void Serialize(const Page& page, std::string& out) {
  Put<std::int32_t>(out, page.number);
  Put<std::int32_t>(out, page.headingEnd);
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(page.layout.size()));
  for (const ColumnStop& s : page.layout) {
    Put<std::int32_t>(out, s.x);
    Put<std::int32_t>(out, s.width);
  }
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(page.links.size()));
  for (const Link& l : page.links) {
    Put<std::uint8_t>(out, l.kind);
    Put<std::uint16_t>(out, l.commandId);
    PutText(out, l.params);
    PutText(out, l.title);
  }
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(page.lines.size()));
  for (const Line& line : page.lines) {
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(line.cells.size()));
    for (const Cell& c : line.cells) {
      Put<std::uint8_t>(out, static_cast<std::uint8_t>(c.place));
      Put<std::int32_t>(out, c.x);
      Put<std::int32_t>(out, c.font);
      Put<std::int32_t>(out, c.link);
      Put<std::int32_t>(out, c.field);
      Put<std::uint8_t>(out, c.flushLeft ? 1 : 0);
      PutText(out, c.text);
    }
  }
}

// --- Reading it back ----------------------------------------------------------------

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  template <class T>
  T Get() {
    T value{};
    Need(sizeof value);
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::string Text() {
    const std::uint32_t n = Get<std::uint32_t>();
    Need(n);
    std::string text = bytes_.substr(at_, n);
    at_ += n;
    return text;
  }
  // A count of items of at least `itemSize` bytes each, checked against
  // what is left, so that a damaged record cannot ask for a huge vector.
  std::size_t Count(std::size_t itemSize) {
    const std::uint32_t n = Get<std::uint32_t>();
    Need(static_cast<std::size_t>(n) * itemSize);
    return n;
  }

 private:
  void Need(std::size_t n) const {
    if (n > bytes_.size() - at_) throw std::runtime_error("the temporary file of its pages is damaged");
  }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

Page Deserialize(const std::string& bytes) {
  Reader in(bytes);
  Page page;
  page.number = in.Get<std::int32_t>();
  page.headingEnd = in.Get<std::int32_t>();
  page.layout.resize(in.Count(8));
  for (ColumnStop& s : page.layout) {
    s.x = in.Get<std::int32_t>();
    s.width = in.Get<std::int32_t>();
  }
  page.links.resize(in.Count(11));
  for (Link& l : page.links) {
    l.kind = in.Get<std::uint8_t>();
    l.commandId = in.Get<std::uint16_t>();
    l.params = in.Text();
    l.title = in.Text();
  }
  page.lines.resize(in.Count(4));
  for (Line& line : page.lines) {
    line.cells.resize(in.Count(22));
    for (Cell& c : line.cells) {
      c.place = static_cast<Place>(in.Get<std::uint8_t>());
      c.x = in.Get<std::int32_t>();
      c.font = in.Get<std::int32_t>();
      c.link = in.Get<std::int32_t>();
      c.field = in.Get<std::int32_t>();
      c.flushLeft = in.Get<std::uint8_t>() != 0;
      c.text = in.Text();
    }
  }
  return page;
}

bool CarriesLinks(const Page& page) {
  if (page.links.empty()) return false;
  for (const Line& line : page.lines)
    for (const Cell& c : line.cells)
      if (c.link >= 0 && c.text.find_first_not_of(' ') != std::string::npos) return true;
  return false;
}

}  // namespace

// --- Page -------------------------------------------------------------------------------

bool Page::Empty() const {
  for (const Line& l : lines)
    if (!l.cells.empty()) return false;
  return true;
}

int Page::Width() const {
  int width = 0;
  for (const Line& l : lines)
    for (const Cell& c : l.cells) {
      // A number too wide for its column takes its field on the page.
      const int len = c.field > 0 ? c.field : TrimmedSize(c.text);
      width = std::max(width, c.place == Place::kAt ? c.x + len : len);
    }
  return width;
}

int Page::AddLink(const Link& link) {
  const int n = static_cast<int>(links.size());
  for (int i = n - 1; i >= 0 && i >= n - kLinkLookBack; --i)
    if (links[static_cast<std::size_t>(i)] == link) return i;
  links.push_back(link);
  return n;
}

// --- PageStore ----------------------------------------------------------------------------

PageStore::PageStore() = default;

PageStore::~PageStore() {
  if (fd_ >= 0) ::close(fd_);
}

void PageStore::Next() {
  if (fd_ < 0) {
    // Made with the first page kept, so that a folder where it cannot be
    // made stops the run there, whatever its length.
    std::string name = TempFolder() + "/qxa-report-XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) Fail("made", errno);
    // Nobody else needs the name: the file goes with its last descriptor.
    ::unlink(name.c_str());
  }
  Kept kept;
  kept.offset = end_;
  const std::size_t start = pending_.size();
  Serialize(last_, pending_);
  kept.size = static_cast<std::uint32_t>(pending_.size() - start);
  kept.number = last_.number;
  kept.holds = !last_.Empty();
  kept.links = CarriesLinks(last_);
  kept_.push_back(kept);
  end_ += kept.size;
  widest_ = std::max(widest_, last_.Width());
  last_ = Page{};
  if (pending_.size() >= kPendingBytes) Flush();
}

void PageStore::Flush() {
  std::size_t done = 0;
  while (done < pending_.size()) {
    const ssize_t n =
        ::pwrite(fd_, pending_.data() + done, pending_.size() - done, static_cast<off_t>(written_ + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("written", n < 0 ? errno : ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  written_ += pending_.size();
  pending_.clear();
  // A page that held a long line must not keep its buffer for the run.
  if (pending_.capacity() > 2 * kPendingBytes) std::string().swap(pending_);
}

bool PageStore::Holds(std::size_t i) const { return i < kept_.size() ? kept_[i].holds : !last_.Empty(); }

int PageStore::Number(std::size_t i) const { return i < kept_.size() ? kept_[i].number : last_.number; }

bool PageStore::HasLinks(std::size_t i) const { return i < kept_.size() ? kept_[i].links : CarriesLinks(last_); }

Page PageStore::Read(std::size_t i) const {
  if (i >= kept_.size()) return last_;
  const Kept& kept = kept_[i];
  if (kept.offset >= written_) return Deserialize(pending_.substr(kept.offset - written_, kept.size));
  std::string bytes(kept.size, '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(kept.offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("read", n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
  return Deserialize(bytes);
}

int PageStore::Widest() const { return std::max(widest_, last_.Width()); }

// --- Document -------------------------------------------------------------------------------

int Document::Width() const {
  if (settings.lineWidth > 0) return settings.lineWidth;
  return std::max(80, pages.Widest());
}

int Document::PageCount() const {
  int n = 0;
  for (std::size_t i = 0; i < pages.Size(); ++i) n += pages.Holds(i) ? 1 : 0;
  return n;
}

bool Document::Empty() const { return PageCount() == 0; }

}  // namespace qxreport
