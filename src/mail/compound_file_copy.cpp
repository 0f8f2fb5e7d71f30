// Storages copied into compound files of their own through libgsf's writer.
#include "compound_file_copy.h"

#include "mail/gobject_ptr.h"
#include "mail/msg_storage.h"

#include <QFile>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-stdio.h>

namespace {

constexpr size_t kChunk = 61440;
// The property stream header of an embedded message is 24 bytes; a top-level one has 8 reserved
// bytes more.
constexpr int kEmbeddedHeaderBytes = 24;
constexpr int kTopLevelExtraBytes = 8;
// Deeper storages than real files hold are refused rather than copied.
constexpr int kMaxDepth = 64;
// The class of an Outlook message's root storage.
const guint8 kMessageClassId[16] = {0x0B, 0x0D, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

bool CopyStream(GsfInput* from, GsfOutput* to)
{
    while (gsf_input_remaining(from) > 0) {
        const size_t n = size_t(qMin<gsf_off_t>(gsf_input_remaining(from), kChunk));
        const guint8* data = gsf_input_read(from, n, nullptr);
        if (!data || !gsf_output_write(to, n, data))
            return false;
    }
    return true;
}

// The message's property stream with a top-level header: the 24 bytes, 8 reserved zero bytes,
// then the property entries.
bool CopyPropertiesAsTopLevel(GsfInput* from, GsfOutput* to)
{
    const guint8 reserved[kTopLevelExtraBytes] = {};
    if (gsf_input_size(from) < kEmbeddedHeaderBytes)
        return CopyStream(from, to);
    const guint8* header = gsf_input_read(from, kEmbeddedHeaderBytes, nullptr);
    return header && gsf_output_write(to, kEmbeddedHeaderBytes, header)
        && gsf_output_write(to, sizeof reserved, reserved) && CopyStream(from, to);
}

bool CopyChildren(GsfInfile* from, GsfOutfile* to, bool topOfMessage, int depth);

bool CopyChild(GsfInfile* from, int index, GsfOutfile* to, bool topOfMessage, int depth)
{
    const char* name = gsf_infile_name_by_index(from, index);
    const GObjectPtr<GsfInput> child(gsf_infile_child_by_index(from, index));
    if (!name || !child)
        return false;
    const bool storage = IsStorage(child.get());
    const GObjectPtr<GsfOutput> out(gsf_outfile_new_child(to, name, storage));
    if (!out)
        return false;
    bool copied = false;
    if (storage)
        copied = CopyChildren(GSF_INFILE(child.get()), GSF_OUTFILE(out.get()), false, depth + 1);
    else if (topOfMessage && qstrcmp(name, kPropertiesStreamName) == 0)
        copied = CopyPropertiesAsTopLevel(child.get(), out.get());
    else
        copied = CopyStream(child.get(), out.get());
    return gsf_output_close(out.get()) && copied;
}

bool CopyChildren(GsfInfile* from, GsfOutfile* to, bool topOfMessage, int depth)
{
    if (depth > kMaxDepth)
        return false;
    const int count = gsf_infile_num_children(from);
    for (int i = 0; i < count; ++i) {
        if (!CopyChild(from, i, to, topOfMessage, depth))
            return false;
    }
    return true;
}

// An empty named-property storage: the GUID, entry and string streams that readers expect.
bool WriteEmptyNameIds(GsfOutfile* to)
{
    const GObjectPtr<GsfOutput> storage(gsf_outfile_new_child(to, kNameIdStorageName, TRUE));
    if (!storage)
        return false;
    bool written = true;
    for (const char* stream : {"__substg1.0_00020102", "__substg1.0_00030102", "__substg1.0_00040102"}) {
        const GObjectPtr<GsfOutput> out(gsf_outfile_new_child(GSF_OUTFILE(storage.get()), stream, FALSE));
        written = out && gsf_output_close(out.get()) && written;
    }
    return gsf_output_close(storage.get()) && written;
}

bool CopyNameIds(GsfInfile* nameIds, GsfOutfile* to)
{
    if (!nameIds)
        return WriteEmptyNameIds(to);
    const GObjectPtr<GsfOutput> storage(gsf_outfile_new_child(to, kNameIdStorageName, TRUE));
    if (!storage)
        return false;
    const bool copied = CopyChildren(nameIds, GSF_OUTFILE(storage.get()), false, 1);
    return gsf_output_close(storage.get()) && copied;
}

template <typename Fill>
bool WriteCompoundFile(const QString& path, Fill fill)
{
    const GObjectPtr<GsfOutput> sink(gsf_output_stdio_new(QFile::encodeName(path).constData(), nullptr));
    if (!sink)
        return false;
    bool written = false;
    {
        const GObjectPtr<GsfOutfile> file(gsf_outfile_msole_new(sink.get()));
        written = file && fill(file.get()) && gsf_output_close(GSF_OUTPUT(file.get()));
    }
    // Closing the compound file closes its sink too, unless it failed first.
    written = (gsf_output_is_closed(sink.get()) || gsf_output_close(sink.get())) && written;
    if (!written)
        QFile::remove(path);
    return written;
}

} // namespace

bool WriteStorageFile(GsfInfile* storage, const QString& path)
{
    return WriteCompoundFile(path, [&](GsfOutfile* file) {
        guint8 classId[16] = {};
        if (GSF_IS_INFILE_MSOLE(storage) && gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage), classId))
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(file), classId);
        return CopyChildren(storage, file, false, 0);
    });
}

bool WriteEmbeddedMessageFile(GsfInfile* message, GsfInfile* nameIds, const QString& path)
{
    return WriteCompoundFile(path, [&](GsfOutfile* file) {
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(file), kMessageClassId);
        const GObjectPtr<GsfInput> own(gsf_infile_child_by_name(message, kNameIdStorageName));
        return CopyChildren(message, file, true, 0) && (own || CopyNameIds(nameIds, file));
    });
}
