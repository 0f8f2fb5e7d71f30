// The command line that opens the user's mail program with a new, unaddressed mail: subject,
// plain-text body and attached files, all as UTF-8.
// - Thunderbird (the mailto handler whose program xdg-email would recognise as Thunderbird) is
//   called directly with -compose: the body travels in a file (message=), so its length has
//   no limit, and the attachments as file URLs with their commas percent-encoded, since
//   Thunderbird splits the list at commas.
// - Any other mail program gets the mail through xdg-email as one mailto URI. The kernel takes
//   at most 128 KiB in one argument, about 14 500 Japanese characters once percent-encoded:
//   a mail that does not fit is refused, never cut.
// No argument ever passes through a shell.
#pragma once

#include <QString>
#include <QStringList>

struct MailDraft {
    QString subject;
    QString body; // line feeds between lines
    QStringList attachments; // absolute file paths
};

struct MailCommand {
    QString program;
    QStringList arguments;
};

struct ComposedMail {
    enum Refusal { kNone, kBodyTooLong, kAttachmentsTooLong };
    Refusal refusal = kNone;
    MailCommand command; // empty when refused
    int bodyCharacterLimit = 0; // kBodyTooLong: about how many characters of such a body fit
};

// Thunderbird's program (its canonical path) when it is the user's mailto handler, the way
// xdg-email decides it; empty for any other mail program, or when $MAILER overrides the handler.
QString ThunderbirdMailProgram();

// `bodyFile` holds the body in UTF-8 and must stay until Thunderbird has read it.
ComposedMail ComposeForThunderbird(const QString& thunderbird, const MailDraft& draft, const QString& bodyFile);
ComposedMail ComposeForXdgEmail(const MailDraft& draft);
