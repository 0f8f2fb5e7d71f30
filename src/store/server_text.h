// Text as the server store exchanges it: UTF-8 out, strictly checked UTF-8 in, and the check
// for characters that the product's utf8 (3-byte) columns cannot hold.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <initializer_list>

QByteArray ToUtf8(QStringView text);
// The whole value as UTF-16, or an empty string when any byte sequence is not valid UTF-8.
QString FromUtf8(const char* bytes, qsizetype size);

// The characters of the texts that a utf8 column refuses or cuts: characters outside the Basic
// Multilingual Plane (and unpaired surrogates), and NUL, where reading stops. Each distinct one
// once, in order of first appearance, written for the user as "𠮷 (U+20BB7)" and joined with
// "、"; empty when the text can be stored.
QString UnstorableCharacters(std::initializer_list<QStringView> texts);
inline QString UnstorableCharacters(QStringView text)
{
    return UnstorableCharacters({text});
}
