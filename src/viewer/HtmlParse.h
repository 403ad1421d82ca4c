// THtmlParse: cuts an HTML byte stream (Shift_JIS) into text runs and tags
// and raises one event per piece. It never fails on malformed HTML: an
// unbalanced quote runs to the next quote or the end, an unterminated tag at
// the end comes out as text.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

// The file named in FileName cannot be read.
class HtmlFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class THtmlParse {
 public:
  // Tag names and option names come upper-cased; options are "NAME=value"
  // or a bare "NAME".
  using TagEvent = std::function<void(THtmlParse& sender, const std::string& tag,
                                      const std::vector<std::string>& options)>;
  using TextEvent = std::function<void(THtmlParse& sender, const std::string& text)>;
  // The same tag as views of the parser's own buffer, valid for the call:
  // no string is made per option. Raised before OnHtmlTag when both are set.
  using TagViewEvent = std::function<void(THtmlParse& sender, std::string_view tag,
                                          const std::vector<std::string_view>& options)>;
  // The same text run as a view, valid for the call: a run that lies whole
  // in the bytes given is not copied. Raised before OnHtmlText when both
  // are set.
  using TextViewEvent = std::function<void(THtmlParse& sender, std::string_view text)>;

  // The token buffer holds this many bytes. A longer text run or tag token
  // is handed over in pieces of at most this size, never cut inside a
  // double-byte character.
  static constexpr std::size_t kMaxToken = 65535;

  TagEvent OnHtmlTag;
  TextEvent OnHtmlText;
  TagViewEvent OnHtmlTagView;
  TextViewEvent OnHtmlTextView;
  // Tags whose events every handler would let go by their name alone: for
  // a name this answers true, no tag event is raised, and once the name
  // ends the rest of the tag is passed over to its ">" unread. Unset, every
  // tag is raised.
  bool (*IgnoreTag)(std::string_view tag) = nullptr;
  // Tags whose handlers read no option after a given one: for a tag's name
  // and the option just read this answers true, the rest of the tag is
  // passed over to its ">" unread and the tag raised with the options so
  // far. Unset, every option is read.
  bool (*EnoughOptions)(std::string_view tag, std::string_view option) = nullptr;

  const std::string& FileName() const { return fileName_; }
  // A different name empties HtmlDoc.
  void SetFileName(const std::string& name);
  const std::vector<std::string>& HtmlDoc() const { return htmlDoc_; }
  // Copies the lines and empties FileName.
  void SetHtmlDoc(const std::vector<std::string>& lines);

  // Parses HtmlDoc (its lines joined with CR LF) when FileName is empty,
  // else the file; raises the events in document order. Answers the name of
  // the tag being collected when parsing stopped ("" after a complete
  // document). Throws HtmlFileError when the file cannot be read.
  std::string Content();
  std::string ContentFromStream(std::istream& stream);
  std::string ContentFromBytes(std::string_view bytes);

  // The same in blocks of any size: Begin, Feed each block in order, End.
  // The events are those of the whole document at once; a text run or tag
  // that crosses a block boundary is held (at most kMaxToken bytes of it)
  // until it ends. End answers what Content does.
  void Begin();
  void Feed(std::string_view block);
  std::string End();

  // Parsing ends before the next token. Meant to be called from a handler.
  void Terminate() { stop_ = true; }

  void CallText(const std::string& text);
  void CallTag(const std::string& tag, const std::vector<std::string>& options);

 private:
  // Takes bytes from data up to n; answers how many. A byte that needs the
  // one after it (a lead byte, a backslash, a CR) is left when it is the last
  // and more may come (`final` false).
  std::size_t Run(const char* data, std::size_t n, bool final);
  bool RunText(const char* data, std::size_t n, std::size_t& pos, bool final);
  bool RunTag(const char* data, std::size_t n, std::size_t& pos, bool final);
  // Makes the tag token at [start, stop) of the tag buffer the name or the
  // next option.
  void TakeToken(bool isOption, std::size_t start, std::size_t stop);
  // Raises the tag events with what the tag buffer holds.
  void RaiseTag();
  // Raises the text events with a run of the bytes given or of token_.
  void RaiseText(std::string_view text);
  void StartTag();
  // Starts the tag whose "<" is just before pos, taking at once a short
  // name and what the name alone settles.
  void OpenTag(const char* data, std::size_t n, std::size_t& pos);

  std::string fileName_;
  std::vector<std::string> htmlDoc_;
  bool stop_ = false;

  // Where a fed document stands between blocks.
  std::string pending_;  // at most one byte waiting for the next
  std::string token_;  // a text run
  std::string textCopy_;  // a run raised as a view, for OnHtmlText
  // The tokens of the tag being read, one after the other; where the one
  // being collected starts, the name's place and the options' places.
  std::vector<char> tag_;
  std::size_t tagUsed_ = 0;
  std::size_t tokenStart_ = 0;
  std::size_t nameStart_ = 0;
  std::size_t nameLength_ = 0;
  std::vector<std::pair<std::size_t, std::size_t>> optionPlaces_;
  // What the events are given, kept for their buffers.
  std::vector<std::string_view> optionViews_;
  std::string tagName_;
  std::vector<std::string> options_;
  bool inTag_ = false;
  bool isOption_ = false;
  bool afterEquals_ = false;
  bool quoted_ = false;
};

}  // namespace kestrel
