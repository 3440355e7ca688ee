// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The text of an image file read whole and cut into lines, as the readers of the text image
// formats (Intel HEX, S-records) take them: a line ends with LF, and Ctrl-Z, the old DOS
// end-of-file mark, ends the input wherever it stands. Reading the file in one go and parsing
// from memory keeps a 64 KiB image's file well under a millisecond. Nothing here parses a record.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarpel::files {

// The largest text image file read: the largest chip's 256 KiB as HEX records take about 720 KB,
// so 8 MiB leaves room for any comments and blank lines, and a device that never ends
// (/dev/zero) or a file of gigabytes is refused before it fills the memory.
inline constexpr std::size_t MaxTextFileBytes = std::size_t{8} << 20;

// The whole content of fileName; nothing when it cannot be opened, fails part-way (a folder
// opens like a file on this system and only fails when read), is interrupted by a signal or
// holds more than MaxTextFileBytes.
std::optional<std::string> ReadWholeFile(const std::string& fileName);

class TextLines {
public:
    // The text is looked at, not copied: it must outlive the lines.
    explicit TextLines(std::string_view text);

    struct Line {
        std::string_view text;  // without its LF
        bool ended = false;     // an LF closed it (false for a last line cut short, or by Ctrl-Z)
    };

    // The next line; nothing once the input is used up. Text after the last LF is a line of its
    // own, unless there is none. Inline: it runs once per line.
    std::optional<Line> Next() {
        if (rest_.empty()) return std::nullopt;
        const std::size_t end = rest_.find('\n');
        if (end == std::string_view::npos) return Line{std::exchange(rest_, {}), false};
        const Line line{rest_.substr(0, end), true};
        rest_.remove_prefix(end + 1);
        return line;
    }

private:
    std::string_view rest_;
};

}  // namespace tarpel::files
