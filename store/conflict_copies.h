// Conflict copies of the appointment file: the files a sync service puts beside
// "quarvwecker.xml" when two PCs changed it before the service carried either change,
// and the name a copy is given once its appointments have been joined into the book.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/data_folder.h"

class FileSystem;

// How each service names its copy of "quarvwecker.xml" (NAME: a user, computer or device
// name), and where that is written down:
//
// Dropbox, English client:
//   quarvwecker (NAME's conflicted copy 2026-12-07).xml
//   quarvwecker (NAME's conflicted copy 2026-12-07 (1)).xml, and copies of copies
//   - help.dropbox.com/syncing-uploads/conflicted-copy (user name, "conflicted copy", date)
//   - gist.github.com/jduprey/232ba910265d4cbbd495 ("demo-current (Thor's conflicted copy
//     2014-09-14).png"); github.com/dtjm/textdropapp.com/issues/62 (copies of copies)
// Dropbox, German client:
//   quarvwecker (NAMEs in Konflikt stehende Kopie 2026-12-07).xml
//   - a public R script reads "combined (Rebekka Schneiders in Konflikt stehende Kopie
//     2017-01-18).xls"; a public dotfile finds "*(*s in Konflikt stehende Kopie [0-9]*"
// OneDrive:
//   quarvwecker-COMPUTERNAME.xml, quarvwecker-COMPUTERNAME-2.xml
//   - github.com/abraunegg/onedrive/issues/207 ("somefile-laptop.txt",
//     "somefile-laptop-2.txt"); github.com/skilion/onedrive/issues/338
//     ("<filename>-<hostname>.md", "<filename>-<hostname>-1.md")
// Nextcloud and ownCloud, clients before 2.5:
//   quarvwecker_conflict-20261207-120000.xml, quarvwecker_conflict_USER-20261207-120000.xml
//   - owncloud/client src/libsync/propagatedownload.cpp, makeConflictFileName
//     ("_conflict-" + "yyyyMMdd-hhmmss"; "_conflict_" + user + "-" with
//     CSYNC_CONFLICT_FILE_USERNAME)
// Nextcloud and ownCloud, clients from 2.5:
//   quarvwecker (conflicted copy 2026-12-07 120000).xml
//   quarvwecker (conflicted copy USER 2026-12-07 120000).xml
//   - nextcloud/desktop src/common/utility.cpp, Utility::makeConflictFileName;
//     github.com/owncloud/client/pull/6417
// Syncthing:
//   quarvwecker.sync-conflict-20261207-120000-ABCDEFG.xml (device), and without the
//   device in older versions
//   - the FAQ "What if there is a conflict?" as quoted in forum.syncthing.net/t/15113
//     ("<filename>.sync-conflict-<date>-<time>-<modifiedBy>.<ext>");
//     lib/model/folder_sendrecv.go as cited in github.com/GermanCoding/SyncTrayzor/pull/181
// Google Drive:
//   quarvwecker (1).xml: Drive keeps both versions as two files of one name, and its
//   desktop app numbers the second
//   - github.com/Grive/grive/issues/166 ("f.pdf" and "f (1).pdf")
// Seafile:
//   quarvwecker (SFConflict user@example.com 2026-12-07-12-00-00).xml, also without the
//   user, and from the server with the time as 2026-Dec-7-12-00-00
//   - haiwen/seafile common/vc-common.c, gen_conflict_path ("%s (SFConflict %s %s).%s",
//     "%Y-%m-%d-%H-%M-%S"); the server's merge in Go with "2006-Jan-2-15-04-05"
//
// Every copy keeps the original's beginning ("quarvwecker", in any case) and its
// extension ".xml", with the service's tag between them. The files the program keeps
// beside the original ("quarvwecker.xml.tmp", ".bad", ".probe") and the renamed copies
// end otherwise, so they are never copies.

// Whether `fileName` (a name without a folder) is a sync service's conflict copy of
// `original`. Compared without regard to case, as Windows compares file names.
bool isConflictCopy(std::string_view fileName, std::string_view original);

// The name a joined copy is renamed to: "<copy>.uebernommen" ("taken over"), then
// ".uebernommen2", ".uebernommen3", ... for later attempts when that name is taken.
// It no longer ends in the original's extension, so it is no copy any more.
std::string setAsideName(std::string_view fileName, int attempt = 1);

// The full paths of the conflict copies of "quarvwecker.xml" in the folder, sorted by
// name; none when the folder cannot be listed.
std::vector<std::string> conflictCopiesOf(FileSystem& files, const std::string& folder);
