// A PlayerView over real Qt widgets, standing in for the main window in the playback tests.
#pragma once

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QWidget>
#include <stdexcept>
#include <string>
#include <vector>

#include "playback/player_view.h"
#include "playlist/playlist_model.h"

class WidgetPlayerView : public PlayerView {
  public:
    explicit WidgetPlayerView(PlaylistModel& model)
        : list(new QListView(&window)),
          bar(new QScrollBar(Qt::Horizontal, &window)),
          elapsed(new QLabel("0:00", &window)),
          total(new QLabel("0:00", &window)),
          random(new QCheckBox(&window)),
          repeat(new QCheckBox(&window)) {
        list->setModel(&model);
        bar->setRange(0, 100);
        bar->setPageStep(1);
        window.setWindowTitle("Vyn Player");
    }

    int SelectedRow() const override {
        const auto rows = list->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    void SelectRow(int row) override {
        const QModelIndex index = list->model()->index(row, 0);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list->scrollTo(index);
    }
    bool RandomChecked() const override { return random->isChecked(); }
    bool RepeatChecked() const override { return repeat->isChecked(); }
    void OpenAddMenu() override { ++addMenuOpened; }

    void SetSeekMaximum(int maximum) override { bar->setMaximum(maximum); }
    int SeekMaximum() const override { return bar->maximum(); }
    void SetSeekPosition(int position) override {
        ++seekSets;
        bar->setValue(position);
    }
    int SeekPosition() const override { return bar->value(); }

    void SetElapsedText(const std::string& text) override {
        ++elapsedSets;
        elapsed->setText(QString::fromStdString(text));
    }
    std::string ElapsedText() const override { return elapsed->text().toStdString(); }
    void SetTotalText(const std::string& text) override {
        total->setText(QString::fromStdString(text));
    }
    std::string TotalText() const override { return total->text().toStdString(); }

    void SetCaption(const std::string& title) override {
        window.setWindowTitle(QString::fromStdString(title));
    }
    std::string Caption() const { return window.windowTitle().toStdString(); }
    void SetApplicationTitle(const std::string& title) override { applicationTitle = title; }
    void RefreshTrayTip(const std::string& title) override {
        if (trayTipFails) throw std::runtime_error("The tray is gone");
        ++tipRefreshes;
        trayTip = title + "\n" + ElapsedText() + " / " + TotalText();
    }
    MessageTarget* EndMessageTarget() override { return endTarget; }

    QWidget window;
    QListView* list;
    QScrollBar* bar;
    QLabel* elapsed;
    QLabel* total;
    QCheckBox* random;
    QCheckBox* repeat;
    int addMenuOpened = 0;
    std::string applicationTitle = "Vyn Player";
    std::string trayTip = "Vyn Player";
    MessageTarget* endTarget = nullptr;
    bool trayTipFails = false;  // a failure inside the position tick
    // How often the controls were told something.
    int seekSets = 0;
    int elapsedSets = 0;
    int tipRefreshes = 0;
};
