// Outlook message files made in tests with libgsf's compound-file writer: a tree of storages and
// streams, and helpers for the property streams a .msg holds.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <utility>

struct MsgNode {
    QByteArray name;
    QByteArray data;          // a stream's bytes
    QList<MsgNode> children;  // a storage's elements
    bool storage = false;
};

inline MsgNode Stream(const QByteArray& name, const QByteArray& data)
{
    return {name, data, {}, false};
}

inline MsgNode Storage(const QByteArray& name, QList<MsgNode> children)
{
    return {name, {}, std::move(children), true};
}

inline QByteArray PropertyName(quint16 tag, quint16 type)
{
    return "__substg1.0_" + QByteArray::number(tag, 16).rightJustified(4, '0').toUpper()
        + QByteArray::number(type, 16).rightJustified(4, '0').toUpper();
}

inline MsgNode Utf16Property(quint16 tag, const QString& text)
{
    QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return Stream(PropertyName(tag, 0x001F), bytes + QByteArray(2, '\0'));
}

inline MsgNode Property8Bit(quint16 tag, const QByteArray& bytes)
{
    return Stream(PropertyName(tag, 0x001E), bytes + '\0');
}

inline MsgNode BinaryProperty(quint16 tag, const QByteArray& bytes)
{
    return Stream(PropertyName(tag, 0x0102), bytes);
}

// The fixed-size property stream: `header` zero bytes (32 for a message, 24 for an embedded
// one, 8 for an attachment), then 32-bit properties as (tag, value) entries.
inline MsgNode FixedProperties(int header, const QList<std::pair<quint16, quint32>>& longs)
{
    QByteArray bytes(header, '\0');
    for (const auto& [tag, value] : longs) {
        char entry[16] = {};
        qToLittleEndian<quint32>(quint32(tag) << 16 | 0x0003, entry);
        qToLittleEndian<quint32>(6, entry + 4);
        qToLittleEndian<quint32>(value, entry + 8);
        bytes.append(entry, sizeof entry);
    }
    return Stream("__properties_version1.0", bytes);
}

inline QByteArray AttachmentStorageName(int index)
{
    return "__attach_version1.0_#" + QByteArray::number(index, 16).rightJustified(8, '0').toUpper();
}

// An attachment storage with file data and the given name properties.
inline MsgNode FileAttachment(int index, const QByteArray& data, QList<MsgNode> names)
{
    names << FixedProperties(8, {{0x3705, 1}}) << BinaryProperty(0x3701, data);
    return Storage(AttachmentStorageName(index), names);
}

namespace msg_builder_detail {
inline bool WriteChildren(GsfOutfile* out, const QList<MsgNode>& children)
{
    for (const MsgNode& node : children) {
        GsfOutput* child = gsf_outfile_new_child(out, node.name.constData(), node.storage);
        bool ok = child != nullptr;
        if (ok && node.storage)
            ok = WriteChildren(GSF_OUTFILE(child), node.children);
        else if (ok && !node.data.isEmpty())
            ok = gsf_output_write(child, size_t(node.data.size()), reinterpret_cast<const guint8*>(node.data.constData()));
        ok = child && gsf_output_close(child) && ok;
        if (child)
            g_object_unref(child);
        if (!ok)
            return false;
    }
    return true;
}
} // namespace msg_builder_detail

// Writes the root storage's elements as a compound file at `path`.
inline bool WriteMsg(const QString& path, const QList<MsgNode>& root)
{
    GsfOutput* sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), nullptr);
    if (!sink)
        return false;
    GsfOutfile* file = gsf_outfile_msole_new(sink);
    bool ok = msg_builder_detail::WriteChildren(file, root) && gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    ok = (gsf_output_is_closed(sink) || gsf_output_close(sink)) && ok;
    g_object_unref(sink);
    return ok;
}
