// Rows of the playlist are 13 pixels high and 1024 pixels wide whatever their text, so the
// list scrolls sideways over exactly 1024 pixels: far enough for long paths, never further.
#pragma once

#include <QStyledItemDelegate>

class PlaylistDelegate : public QStyledItemDelegate {
  public:
    static constexpr int kRowHeight = 13;
    static constexpr int kHorizontalExtent = 1024;

    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {kHorizontalExtent, kRowHeight};
    }
};
