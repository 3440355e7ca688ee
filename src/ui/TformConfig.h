// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The delay-factor dialog: one slider for the multiplier of every 24Cxx bit-timing wait, the
// "Comprobar al programar" box of the read-back after programming a 24Cxx, and the "Modo rapido"
// box of the opt-in fast timing. It only shows and returns the slider's position and the boxes'
// states; it stores no setting and times nothing. The window opens it through
// RunConfiguration, which hands the values in and takes them back.
#include <QDialog>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QSlider;

namespace tarpel::ui {

class TformConfig final : public QDialog {
    Q_OBJECT

public:
    static constexpr int MinFactor = 1;
    static constexpr int MaxFactor = 50;

    explicit TformConfig(QWidget* parent = nullptr);

    // Puts DelayFactor on the slider (which clamps it into 1..50), shows the dialog modally and,
    // however it was closed (ACEPTAR, Enter, Esc or the close box), takes the position back.
    // `exec` runs the modal loop; a window that runs its dialogs elsewhere passes its own.
    using ModalExec = std::function<int(QDialog&)>;
    static void RunConfiguration(TformConfig& dialog, std::int32_t& DelayFactor,
                                 const ModalExec& exec = {});
    // The same, with the two boxes checked as FastTiming and ReadBackAfterProgramming say and
    // taken back likewise.
    static void RunConfiguration(TformConfig& dialog, std::int32_t& DelayFactor, bool& FastTiming,
                                 bool& ReadBackAfterProgramming, const ModalExec& exec = {});

    // Shows the slider's position in plain decimal digits.
    void tbChange();

    QLabel* Label1;
    QLabel* lbTB;
    QSlider* tb;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QCheckBox* cbComprobar;
    QCheckBox* cbRapido;
    QPushButton* BitBtn1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
};

}  // namespace tarpel::ui
