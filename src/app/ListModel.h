#pragma once

#include "browse/ResultSetModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QString>

// A list's rows with, for the side lists, one fixed heading in bold in place of the column's name:
// the heading is itself a choice ("All artists").
class TListModel : public TResultSetModel {
public:
    using TResultSetModel::TResultSetModel;

    void SetHeading(const QString& heading) {
        Heading = heading;
        emit headerDataChanged(Qt::Horizontal, 0, 0);
    }
    // The heading's background and text; the style's own until set.
    void SetHeadingColors(const QColor& background, const QColor& text) {
        if (background == HeadingBackground && text == HeadingText)
            return;
        HeadingBackground = background;
        HeadingText = text;
        emit headerDataChanged(Qt::Horizontal, 0, 0);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override {
        if (Heading.isEmpty() || orientation != Qt::Horizontal || section != 0)
            return TResultSetModel::headerData(section, orientation, role);
        if (role == Qt::DisplayRole)
            return Heading;
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        if (role == Qt::BackgroundRole && HeadingBackground.isValid())
            return QBrush(HeadingBackground);
        if (role == Qt::ForegroundRole && HeadingText.isValid())
            return QBrush(HeadingText);
        return TResultSetModel::headerData(section, orientation, role);
    }

private:
    QString Heading;
    QColor HeadingBackground;
    QColor HeadingText;
};
