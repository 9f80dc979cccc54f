// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/common_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

namespace zelko {

namespace {

CommonDialog::Answer& answerForTests()
{
    static CommonDialog::Answer answer;
    return answer;
}

}  // namespace

CommonDialog::CommonDialog(QObject* parent) : QObject(parent) {}

void CommonDialog::SetFilter(const QString& filter)
{
    m_filter = filter;
}

QStringList CommonDialog::NameFilters() const
{
    QStringList filters;
    const QStringList parts = m_filter.split(QLatin1Char('|'));
    // A description without its patterns (odd count) is dropped, as the Windows dialog does.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QStringList trimmed;
        for (const QString& pattern : patterns) {
            if (!pattern.trimmed().isEmpty()) {
                trimmed << pattern.trimmed();
            }
        }
        filters << parts.at(i) + QStringLiteral(" (") + trimmed.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

bool CommonDialog::ShowOpen()
{
    QFileDialog dialog(qobject_cast<QWidget*>(parent()), tr("Open"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The combo box shows the descriptions as written ("All media", "mp3 (*.mp3)").
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = NameFilters();
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    if (!m_fileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(m_fileName).absolutePath());
    }

    if (const Answer answer = answerForTests()) {
        QTimer::singleShot(0, &dialog, [&dialog, answer] { answer(dialog); });
    }

    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) {
        return false;
    }
    m_fileName = chosen.first();
    m_fileTitle = QFileInfo(m_fileName).fileName();
    return true;
}

QString CommonDialog::FileName() const
{
    return m_fileName;
}

QString CommonDialog::FileTitle() const
{
    return m_fileTitle;
}

void CommonDialog::SetAnswerForTests(Answer answer)
{
    answerForTests() = std::move(answer);
}

}  // namespace zelko
