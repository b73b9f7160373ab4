// The appointment file "quarvwecker.xml": its text, and the safe replace of a
// whole file through the file-system seam.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/appointment_book.h"
#include "store/file_system.h"
#include "store/replica.h"

// "quarvwecker.xml" in the folder.
std::string appointmentFilePath(const std::string& folder);

// The attributes of a "date" element after "text", "zeit" and "wdh" that a shared file
// carries: the identity (16 hexadecimal digits) and the revision ("edits" or
// "edits.moves", left out while both are 0). The tombstones and forwards stand in an
// element "geloescht" after "termine" in "version1", which a reader that looks only at
// the "date" elements of "termine" passes over:
//   <weg id="..." rev="edits" am="YYMMDDhhmm" />          an appointment deleted
//     (with inhalt="..." the words it had: gone from an older program's file)
//   <umbenannt id="..." zu="..." am="YYMMDDhhmm" />       two identities of one appointment
constexpr std::string_view ID_ATTRIBUTE = "id";
constexpr std::string_view REVISION_ATTRIBUTE = "rev";

// The text of the file that holds the book. With `shared`, each appointment's identity
// and revision and the tombstones and forwards of `shared` are written too (a file that
// several programs share); without, the file is written as it always was.
std::string appointmentFileText(const AppointmentBook& book, const Replica* shared = nullptr);

// What a file holds.
struct FileContent {
    // Every usable appointment, past ones too, from the last in the file to the first (so
    // that appointments of equal time come out in the reverse of their file order). An
    // appointment the file gives no identity gets the one derived from its content.
    AppointmentBook appointments;
    std::vector<Tombstone> tombstones;
    std::vector<Forward> forwards;
    // The file carries identities: some appointment has one, or it has tombstones.
    bool marked = false;
    // Nothing is missing: the text is one well-formed tree to the end of its root element,
    // without a zero byte (a torn write), a lost ">", a stray tag or "<!--" in the middle,
    // around which the forgiving reader would miss or misread what follows.
    bool whole = false;
};

// The identities that a reader of the file written from the book without identities
// gives its appointments, in book order (see readAppointmentFile).
std::vector<AppointmentId> derivedIdentities(const AppointmentBook& book);

// Reads a file's text; false when it is no appointment file at all. With `intactOnly`,
// a file that is not whole gives only what stands before its first fault.
bool readAppointmentFile(std::string_view text, FileContent& content, bool intactOnly = false);

// Whether the text goes on to the end of its root element ("</quarvwecker>", then only
// white space). A file cut off (a save that stopped, another program that writes in
// place, a full disk) may still read up to the cut.
bool reachesItsEnd(std::string_view text);

// The whole file, asked again a few times while another process holds it.
FileResult readWholeFile(FileSystem& files, const std::string& path, std::string& text);

enum class ReplaceResult {
    Replaced,
    Failed,        // the old file is as it was
    TargetChanged, // the last look found the file changed: the old one is as it was
};

// What a replace may do besides writing the text.
struct ReplaceOptions {
    bool allUsers = false; // the new file gets the rights of the file shared by all users
    // When set, the file must still have this stamp just before it is replaced.
    const FileStamp* expected = nullptr;
    // When set, receives the stamp of the new file.
    FileStamp* written = nullptr;
};

// Writes the text beside the file first ("quarvwecker.xml.tmp") and puts it in place in
// one step, so that a crash, a power cut or a full disk leaves the old file whole. Two
// programs saving into one folder at once take turns: the temporary file is made only
// where none is.
ReplaceResult replaceWholeFile(FileSystem& files, const std::string& path, std::string_view text,
                               const ReplaceOptions& options = {});

// A temporary file left by a save that did not finish: it replaces a missing file when it
// is complete; otherwise it goes.
void recoverTemporaryFile(FileSystem& files, const std::string& path);
