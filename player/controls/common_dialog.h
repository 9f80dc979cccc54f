#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;

// The file-open dialog. The filter is held as the "description|patterns|..." text and turned
// into the dialog's name filters in the same order, the first selected when it opens.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    explicit CommonDialog(QObject* parent = nullptr);

    void SetFilter(const QString& filter);
    QString Filter() const;
    QStringList NameFilters() const;

    // Shows the modal dialog; true when a file was chosen, false when cancelled.
    bool ShowOpen();
    QString FileName() const;   // full path of the chosen file
    QString FileTitle() const;  // its name without the folder

    // Lets a test answer the dialog without a person: called with the open dialog; it may
    // select a file and accept, or reject.
    using Answer = std::function<void(QFileDialog&)>;
    static void SetAnswerForTests(Answer answer);
};
