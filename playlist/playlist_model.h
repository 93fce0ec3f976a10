// The playlist: one byte-string entry per row, normally a full file path, in display order.
// It is the only store of the playlist; the list view shows it.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    int Count() const { return static_cast<int>(entries_.size()); }
    // Throws EListError ("List index out of bounds (%d)") for an index that names no entry.
    const std::string& At(int index) const;
    const std::vector<std::string>& Entries() const { return entries_; }

    void Append(std::string entry);
    void Append(std::vector<std::string> entries);
    // Throws EListError for an index that names no entry.
    void RemoveAt(int index);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    std::vector<std::string> entries_;
};
