// CodePage: conversion between UTF-16 and the system's multi-byte code page (the "ANSI" code
// page of text files), through iconv. CP932 by default; the setting "Options/AnsiCodePage"
// names another iconv encoding.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class CodePage {
public:
    explicit CodePage(const QByteArray& iconvName = "CP932");

    // The code page named by the settings, CP932 when none is set.
    static CodePage System();

    const QByteArray& Name() const { return m_name; }
    // Bytes that do not form a character become U+FFFD; never fails.
    QString Decode(QByteArrayView bytes) const;
    // Characters the code page cannot represent become "?"; never fails.
    QByteArray Encode(QStringView text) const;

private:
    QByteArray m_name;
};
