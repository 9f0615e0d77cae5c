// Every capacity of the launcher's fixed buffers, named once. Byte counts for narrow text (UTF-8),
// wide characters (UTF-16 units) for wide text; each includes the terminator.
#pragma once

#include <cstddef>

namespace ormix {

// UTF-8 needs up to three bytes for one UTF-16 unit (four for a pair of them), and never more
// units than bytes: a wide text of N units fits in 3N + 1 bytes, a narrow one of N bytes in N + 1
// units.
inline constexpr std::size_t kUtf8BytesPerUtf16Unit = 3;

// Paths, and texts built around one (the log's header line).
inline constexpr std::size_t kPathCapacity = 4096;
inline constexpr std::size_t kSlotCapacity = 32;
// Messages that end the launch, and the consent question.
inline constexpr std::size_t kMessageCapacity = 1024;
inline constexpr std::size_t kUrlCapacity = 1024;
// Any URL of kUrlCapacity bytes fits: each byte becomes at most one UTF-16 unit.
inline constexpr std::size_t kWideUrlCapacity = 2048;

// The failure report: headline, detail paragraph, the whole text.
inline constexpr std::size_t kHeadlineCapacity = 256;
// Room for "Python reported: ", the longest decoded last line and the longest hint.
inline constexpr std::size_t kDetailCapacity = 2048;
inline constexpr std::size_t kFailureTextCapacity = 4096;
// The standard error line of a fatal message: the display name, ": ", the text and a line feed.
inline constexpr std::size_t kFatalLineCapacity = kFailureTextCapacity + 256;
// A message box's text and caption in UTF-16: every message fits in kFailureTextCapacity bytes,
// and each byte becomes at most one unit.
inline constexpr std::size_t kWideMessageCapacity = kFailureTextCapacity;

// The launch log's tail: bytes read from its end, and bytes kept of one line after trimming.
inline constexpr std::size_t kLogTailWindow = 8192;
inline constexpr std::size_t kLogLineCap = 300;
inline constexpr std::size_t kLogLineCapacity = kLogLineCap + 1;
// The last line as the report shows it, in UTF-8: 300 bytes of the log that were written in the
// ANSI code page can take three times as many (a byte such as 0x80, the euro sign, becomes three).
inline constexpr std::size_t kDecodedLogLineCapacity = kLogLineCap * kUtf8BytesPerUtf16Unit + 1;

// The runtime manifest: bytes scanned from its start, and the longest version value kept.
inline constexpr std::size_t kManifestReadLimit = 511;
inline constexpr std::size_t kManifestValueCapacity = 32;
// The app version file is read in pieces of this many bytes, terminator included.
inline constexpr std::size_t kAppVersionPieceCapacity = 256;

// Texts of the progress window, in wide characters.
inline constexpr std::size_t kWindowTextCapacity = 256;
// The classic path limit: the temporary directory and the installer path inside it.
inline constexpr std::size_t kTempPathCapacity = 260;
// The runtime installer's signer, as its certificate names it, in UTF-16 units. A common name
// has at most 64 characters; a longer name cannot match a publisher and is not read.
inline constexpr std::size_t kSignerNameCapacity = 256;

// The largest buffers (the runtime location, the log's tail window, the failure text and the
// fatal message line) are static where they are declared: the launch runs once, on one thread,
// so nothing needs them twice, and the stack stays small on every path.

}  // namespace ormix
