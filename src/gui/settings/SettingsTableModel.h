#pragma once
// The rows of a settings block for a list view. Nothing is copied: every cell is asked of core's
// SettingsRows when the view draws it, so the model is as large as the view's visible part.

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

namespace qx7 {
class SettingsRows;
}

namespace qx7::gui {

class SettingsTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    // `rows` must outlive the model. `markText` explains the red mark (tooltip, accessibility).
    SettingsTableModel(const SettingsRows& rows, QString markText, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The columns' names and their widths in the list (pixels at the usual desktop font).
    static QString ColumnTitle(int column);
    static int ColumnWidth(int column);

  private:
    bool Marked(const QModelIndex& index) const;

    const SettingsRows& rows_;
    QIcon mark_;
    QString markText_;
};

}  // namespace qx7::gui
