// Names and tests shared by the code that reads and writes Outlook message files through libgsf.
#pragma once

#include <gsf/gsf-infile.h>

// The fixed-size property stream of a message, an attachment or a recipient.
inline constexpr char kPropertiesStreamName[] = "__properties_version1.0";
// The named-property mapping of a message; embedded messages share their parent's.
inline constexpr char kNameIdStorageName[] = "__nameid_version1.0";

// libgsf gives storages and streams the same type; a storage is an infile with a child count.
inline bool IsStorage(GsfInput* input)
{
    return GSF_IS_INFILE(input) && gsf_infile_num_children(GSF_INFILE(input)) >= 0;
}
