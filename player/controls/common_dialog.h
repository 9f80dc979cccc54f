// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;

namespace zelko {

// The file-open dialog. The filter is held as the "description|patterns|..." text and turned
// into the dialog's name filters in the same order, the first selected when it opens.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    explicit CommonDialog(QObject* parent = nullptr);

    void SetFilter(const QString& filter);
    // One "description (patterns)" entry per description|patterns pair: the description is kept
    // as written (trailing blanks too) and the ";"-separated patterns become blank-separated.
    // The dialog reads the patterns from the last parenthesised group, so a description that
    // already names its pattern, like "mp3 (*.mp3)", still filters on the patterns only.
    QStringList NameFilters() const;

    // Shows the modal dialog (never the platform's native one) for one existing file; true when
    // a file was chosen. A cancelled dialog returns false and leaves FileName and FileTitle as
    // they were. The dialog is a child of parent() when that is a widget.
    bool ShowOpen();
    QString FileName() const;   // full path of the chosen file
    QString FileTitle() const;  // its name without the folder

    // Lets a test answer the dialog without a person: called with the open dialog; it may
    // select a file and accept, or reject. An empty function turns the hook off.
    using Answer = std::function<void(QFileDialog&)>;
    static void SetAnswerForTests(Answer answer);

private:
    QString m_filter;
    QString m_fileName;
    QString m_fileTitle;
};

}  // namespace zelko
