// A store connected to the shared test server, in an account (user and database) of the
// test's own, and the general log of what that account sent.
#pragma once

#include "document/scripted_prompts.h"
#include "store/server_store.h"
#include "support/test_account.h"

#include <gtest/gtest.h>

class ServerStoreTest : public testing::Test, public TestAccount {
protected:
    void SetUp() override
    {
        OpenSharedAccount(QStringLiteral("t_"));
        if (!HasFatalFailure())
            LogIn();
    }
    void LogIn()
    {
        ASSERT_EQ(store.Connect(account.user, account.password, account.user, HostField()), 1) << prompts.shown.join(u'\n').toStdString();
    }

    ScriptedPrompts prompts;
    CServerStore store{prompts};
};

// A new memo's header with the given title and keys.
inline MemoHeader NewHeader(const QString& title = {}, const QString& keys = {})
{
    MemoHeader header;
    ResetMemoHeader(header);
    header.title = title;
    header.theKeys = keys;
    return header;
}
