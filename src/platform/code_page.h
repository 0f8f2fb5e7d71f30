// CodePage: conversion between UTF-16 and the system's multi-byte code page (the "ANSI" code
// page of text files), through iconv. CP932 by default; the setting "Options/AnsiCodePage"
// names another iconv encoding. Conversions never fail: what does not convert is replaced.
// The iconv descriptors are opened once and shared by copies; they carry conversion state, so
// a CodePage and its copies are for one thread only (the user-interface thread).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <memory>

class CodePage {
public:
    explicit CodePage(const QByteArray& iconvName = "CP932");

    // The code page named by the settings; CP932 when none is set or iconv does not know it.
    static CodePage System();

    const QByteArray& Name() const { return m_name; }
    // False when iconv does not know the name: every byte then decodes to U+FFFD and every
    // character encodes to "?".
    bool IsAvailable() const;
    // Bytes that do not form a character become U+FFFD, one per byte; never fails.
    QString Decode(QByteArrayView bytes) const;
    // Characters the code page cannot represent become "?"; never fails.
    QByteArray Encode(QStringView text) const;

private:
    struct Converters;

    QByteArray m_name;
    std::shared_ptr<Converters> m_converters;
};
