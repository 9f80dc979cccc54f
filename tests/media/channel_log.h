// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::test {

// The lines logged under "zelko.channels" while the object lives, on the thread that logs.
class ChannelLog {
public:
    ChannelLog() : m_previous(qInstallMessageHandler(&ChannelLog::handle)) { current() = this; }
    ~ChannelLog()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    ChannelLog(const ChannelLog&) = delete;
    ChannelLog& operator=(const ChannelLog&) = delete;

    // The line that holds `text`; empty when none does.
    std::string find(std::string_view text) const
    {
        for (const std::string& line : m_lines) {
            if (line.find(text) != std::string::npos) {
                return line;
            }
        }
        return {};
    }
    const std::vector<std::string>& lines() const { return m_lines; }

private:
    static ChannelLog*& current()
    {
        static ChannelLog* log = nullptr;
        return log;
    }
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (current() != nullptr && context.category != nullptr &&
            std::string_view(context.category) == "zelko.channels") {
            current()->m_lines.push_back(message.toStdString());
        }
    }

    QtMessageHandler m_previous;
    std::vector<std::string> m_lines;
};

}  // namespace zelko::test
