// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ImageHistory.h"

#include <QUndoCommand>

#include <algorithm>
#include <utility>

#include "eeprom/EepromWorkspace.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

// Enough to take back a whole session's work; each load or read step holds two images.
constexpr int UndoLimit = 100;

using ByteWriter = std::function<void(int address, std::uint8_t value)>;

// One byte typed into the grid.
class ByteEdit final : public QUndoCommand {
public:
    ByteEdit(ByteWriter write, int address, std::uint8_t before, std::uint8_t after, bool open)
        : QUndoCommand(TrQ("Editar byte")),
          write_(std::move(write)),
          address_(address),
          before_(before),
          after_(after),
          open_(open) {}

    void undo() override { write_(address_, before_); }
    void redo() override { write_(address_, after_); }
    int id() const override { return 1; }
    // The second hex digit of a byte finishes the step its first digit began.
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const ByteEdit*>(other);
        if (!open_ || next->address_ != address_) return false;
        after_ = next->after_;
        open_ = next->open_;
        return true;
    }

private:
    ByteWriter write_;
    int address_;
    std::uint8_t before_;
    std::uint8_t after_;
    bool open_;
};

// A whole image replaced: a load, a read, a chip change, a fill. Its first redo is the command
// that already ran.
class ImageReplacement final : public QUndoCommand {
public:
    ImageReplacement(ImageHistory& history, ImageHistory::State before, ImageHistory::State after,
                     const QString& text)
        : QUndoCommand(text), history_(history), before_(std::move(before)), after_(std::move(after)) {}

    void undo() override { history_.Apply(before_); }
    void redo() override {
        if (done_) history_.Apply(after_);
        done_ = true;
    }

private:
    ImageHistory& history_;
    ImageHistory::State before_;
    ImageHistory::State after_;
    bool done_ = false;
};

bool SameImage(const ImageHistory::State& a, const ImageHistory::State& b) {
    return a.chipIndex == b.chipIndex && *a.image == *b.image && a.marks.unreadFrom == b.marks.unreadFrom;
}

}  // namespace

ImageHistory::ImageHistory(eeprom::EepromWorkspace& workspace, HexGridModel& model, std::function<void(int)> showChip,
                           QObject* parent)
    : QObject(parent), workspace_(workspace), model_(model), showChip_(std::move(showChip)) {
    stack_.setUndoLimit(UndoLimit);
    marks_.baseline = CopyOfImage();
    model_.ShowMarks(&marks_);
}

std::shared_ptr<const std::vector<std::uint8_t>> ImageHistory::CopyOfImage() const {
    const auto begin = workspace_.MemoryImage.begin();
    return std::make_shared<const std::vector<std::uint8_t>>(begin, begin + std::max(workspace_.ChipSize, 0));
}

ImageHistory::State ImageHistory::Capture() const { return {workspace_.ChipIndex(), CopyOfImage(), marks_}; }

void ImageHistory::Replaced(State before, const QString& text, std::int32_t readCount) {
    marks_.baseline = CopyOfImage();
    marks_.unreadFrom = readCount < workspace_.ChipSize ? readCount : ImageMarks{}.unreadFrom;
    RefreshMarks();
    State after{workspace_.ChipIndex(), marks_.baseline, marks_};
    if (SameImage(before, after)) return;
    stack_.push(new ImageReplacement(*this, std::move(before), std::move(after), text));
}

void ImageHistory::TypeByte(int address, std::uint8_t value, bool open) {
    if (address < 0 || address >= workspace_.ChipSize) return;
    const std::uint8_t before = workspace_.MemoryImage[static_cast<std::size_t>(address)];
    auto write = [this](int at, std::uint8_t byte) {
        workspace_.MemoryImage[static_cast<std::size_t>(at)] = byte;
        model_.BytesChanged(at, at);
    };
    stack_.push(new ByteEdit(std::move(write), address, before, value, open));
}

void ImageHistory::Fill(int first, int last, std::uint8_t value) {
    first = std::max(first, 0);
    last = std::min(last, workspace_.ChipSize - 1);
    if (first > last) return;
    State before = Capture();
    std::fill(workspace_.MemoryImage.begin() + first, workspace_.MemoryImage.begin() + last + 1, value);
    model_.BytesChanged(first, last);
    State after = Capture();
    if (SameImage(before, after)) return;
    stack_.push(new ImageReplacement(*this, std::move(before), std::move(after), TrQ("Rellenar")));
}

bool ImageHistory::HasEdits() const {
    const auto image = workspace_.MemoryImage.begin();
    return marks_.baseline && !std::equal(image, image + std::max(workspace_.ChipSize, 0), marks_.baseline->begin(),
                                          marks_.baseline->end());
}

void ImageHistory::Stored() {
    marks_.baseline = CopyOfImage();
    RefreshMarks();
}

void ImageHistory::Apply(const State& state) {
    marks_ = state.marks;
    if (showChip_) showChip_(state.chipIndex);
    workspace_.RestoreImage(state.chipIndex, *state.image);  // rebuilds the grid
}

void ImageHistory::RefreshMarks() { model_.BytesChanged(0, workspace_.ChipSize - 1); }

}  // namespace tarpel::ui
