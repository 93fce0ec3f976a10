#include "playlist/playlist_model.h"

#include "platform/display_text.h"
#include "platform/exceptions.h"

const std::string& PlaylistModel::At(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return entries_[static_cast<size_t>(index)];
}

void PlaylistModel::Append(std::string entry) {
    beginInsertRows(QModelIndex(), Count(), Count());
    entries_.push_back(std::move(entry));
    endInsertRows();
}

void PlaylistModel::Append(std::vector<std::string> entries) {
    if (entries.empty()) return;
    beginInsertRows(QModelIndex(), Count(), Count() + static_cast<int>(entries.size()) - 1);
    entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                    std::make_move_iterator(entries.end()));
    endInsertRows();
}

void PlaylistModel::RemoveAt(int index) {
    if (index < 0 || index >= Count()) throw EListError(index);
    beginRemoveRows(QModelIndex(), index, index);
    entries_.erase(entries_.begin() + index);
    endRemoveRows();
}

void PlaylistModel::Clear() {
    beginResetModel();
    entries_.clear();
    entries_.shrink_to_fit();
    endResetModel();
}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    if (role != Qt::DisplayRole) return {};
    return DisplayPath(entries_[static_cast<size_t>(index.row())]);
}
