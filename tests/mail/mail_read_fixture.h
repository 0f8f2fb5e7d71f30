// A test with a private folder, an attachment folder "att" inside it and a message to fill.
#pragma once

#include "mail/outlook_message.h"
#include "support/temp_files.h"

#include <QDir>
#include <gtest/gtest.h>

class MailReadTest : public testing::Test {
protected:
    QStringList FilesInAttachmentFolder() const
    {
        return QDir(m_attachments).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    TempFolder m_folder;
    QString m_attachments = [this] {
        QDir().mkpath(m_folder.Path("att"));
        return m_folder.Path("att");
    }();
    OutlookMessage m_message;
};
