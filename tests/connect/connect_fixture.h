// The document with a server connector as the main window wires it: scripted messages and
// dialogs recorded in one list, recorded views, a private folder that stands for the program's
// folder (where the VPN manager is looked for), and the probe limited to the ping command, so
// that a FakePingCommand decides whether the remembered host answers.
#pragma once

#include "connect/server_connector.h"
#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "editor/text_store.h"
#include "fake_ping_command.h"
#include "scripted_connect_prompts.h"

#include <QSettings>
#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using testing::ElementsAre;

class ConnectTest : public testing::Test {
protected:
    ConnectTest()
    {
        QSettings().remove(u"Brindle Hub"_s);
        doc.SetServerShortcutOpener([this](const ServerShortcut& shortcut) { return connector.OpenServerShortcut(shortcut); });
    }

    void TearDown() override
    {
        EXPECT_TRUE(prompts.Finished()) << "scripted answers left over";
        EXPECT_TRUE(dialogs.Finished()) << "scripted dialogs left over";
    }

    static void Remember(const QString& host, const QString& user)
    {
        QSettings settings;
        settings.setValue(u"Brindle Hub/HostName"_s, host);
        settings.setValue(u"Brindle Hub/UserID"_s, user);
    }

    // The remembered host and user.
    static QStringList Remembered()
    {
        const QSettings settings;
        return {settings.value(u"Brindle Hub/HostName"_s).toString(), settings.value(u"Brindle Hub/UserID"_s).toString()};
    }

    static bool SettingsFileHolds(const QByteArray& text)
    {
        QSettings settings;
        settings.sync();
        return ReadBytes(settings.fileName()).contains(text);
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    ScriptedConnectPrompts dialogs{prompts};
    RecordingViews views;
    CQuirelDoc doc{prompts, views};
    ServerConnector connector{doc, prompts, dialogs, {folder.Path({}), kProbePingCommand}};
};
