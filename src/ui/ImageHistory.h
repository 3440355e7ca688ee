// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The undo history of the 24Cxx image: every byte typed into the grid, every fill, file load,
// chip read and chip change is a step that Ctrl+Z takes back and Ctrl+Y brings again (Qt's
// undo framework). A load, read or chip change is one step that holds the image before it.
// It also keeps the marks the grid colours the image by (bytes edited since the image was last
// loaded, read, saved or programmed; bytes a cancelled read did not reach), and they follow the
// steps back and forth. The stack's clean state is "the image is saved in its file".
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/HexGridModel.h"

namespace tarpel::eeprom {
class EepromWorkspace;
}

namespace tarpel::ui {

class ImageHistory final : public QObject {
    Q_OBJECT

public:
    // Everything a step puts back. The image is the chip's ChipSize bytes, shared with the
    // marks' baseline where they are the same bytes.
    struct State {
        int chipIndex = 0;
        std::shared_ptr<const std::vector<std::uint8_t>> image;
        ImageMarks marks;
    };

    // `showChip` puts the chip list on a chip an undo or redo brings back, without the list's
    // own change handler (which would wipe the image). Starts with the image as it is now.
    ImageHistory(eeprom::EepromWorkspace& workspace, HexGridModel& model, std::function<void(int)> showChip,
                 QObject* parent = nullptr);

    QUndoStack& Stack() { return stack_; }
    const ImageMarks& Marks() const { return marks_; }
    State Capture() const;

    // A command has just replaced the image (a load, a read, a chip change): what it holds now
    // is what the grid compares edits with; `readCount` bytes of it came from a read that may
    // have been cut short, the rest is dimmed. Then one step from `before`, unless nothing changed.
    void Replaced(State before, const QString& text, std::int32_t readCount);

    // A typed byte. An `open` edit (the first hex digit) takes the next edit of the same byte
    // into the same step.
    void TypeByte(int address, std::uint8_t value, bool open);
    // Bytes first .. last (inside the chip) set to value, as one step.
    void Fill(int first, int last, std::uint8_t value);

    // Bytes typed or filled since the image was last loaded, read, saved or programmed: the
    // grid's amber cells, which nothing but the user's work holds.
    bool HasEdits() const;

    // The image has just been saved or programmed: no byte counts as edited any more. Not a step.
    void Stored();

    // Puts a state back (the steps' undo and redo).
    void Apply(const State& state);

private:
    // The chip's bytes of the image as they are now.
    std::shared_ptr<const std::vector<std::uint8_t>> CopyOfImage() const;
    void RefreshMarks();

    eeprom::EepromWorkspace& workspace_;
    HexGridModel& model_;
    std::function<void(int)> showChip_;
    ImageMarks marks_;
    QUndoStack stack_;
};

}  // namespace tarpel::ui
