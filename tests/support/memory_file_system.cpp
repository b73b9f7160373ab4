// The in-memory file system for tests.
#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <utility>

#include "store/data_folder.h"

MemoryFileSystem::MemoryFileSystem(std::string userFolder, std::string commonFolder)
    : userFolder_(normal(std::move(userFolder))), commonFolder_(normal(std::move(commonFolder))) {
    addFolder(userFolder_);
    addFolder(commonFolder_);
}

std::string MemoryFileSystem::normal(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string MemoryFileSystem::folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void MemoryFileSystem::addFolder(const std::string& path) {
    folders_.insert(normal(path));
}

void MemoryFileSystem::removeFolder(const std::string& path) {
    const std::string folder = normal(path);
    const std::string inside = folder + '\\';
    std::erase_if(folders_,
                  [&](const std::string& f) { return f == folder || f.starts_with(inside); });
    std::erase_if(files_, [&](const auto& file) { return file.first.starts_with(inside); });
}

bool MemoryFileSystem::hasFolder(const std::string& path) const {
    return folders_.contains(normal(path));
}

void MemoryFileSystem::renew(const std::string& path, bool newFile) {
    Identity& identity = identities_[path];
    if (newFile || identity.file == 0) {
        identity.file = nextIdentity_++;
    }
    ++identity.version;
}

void MemoryFileSystem::setFile(const std::string& path, std::string_view content) {
    files_[normal(path)] = std::string(content);
    renew(normal(path), false);
}

std::optional<std::string> MemoryFileSystem::file(const std::string& path) const {
    const auto found = files_.find(normal(path));
    if (found == files_.end())
        return std::nullopt;
    return found->second;
}

void MemoryFileSystem::failCall(Call call, int nth, FileResult result) {
    Counter& counter = counters_[index(call)];
    counter.failAt = nth == 0 ? 0 : counter.made + nth;
    counter.result = result;
}

void MemoryFileSystem::clearFailures() {
    for (Counter& counter : counters_)
        counter.failAt = -1;
}

std::optional<FileResult> MemoryFileSystem::injected(Call call) {
    Counter& counter = counters_[index(call)];
    ++counter.made;
    if (counter.failAt == 0 || counter.failAt == counter.made)
        return counter.result;
    return std::nullopt;
}

bool MemoryFileSystem::dataFolder(bool perUser, std::string& path) {
    const std::string& folder = perUser ? userFolder_ : commonFolder_;
    if (injected(Call::DataFolder))
        return false;
    addFolder(folder); // made when it is missing, as the platform's is
    path = folder;
    return true;
}

bool MemoryFileSystem::createFolder(const std::string& path) {
    if (injected(Call::CreateFolder))
        return false;
    for (std::string folder = normal(path); !folder.empty(); folder = folderOf(folder)) {
        if (files_.contains(folder))
            return false;
        folders_.insert(folder);
    }
    return true;
}

FileResult MemoryFileSystem::fileStamp(const std::string& path, ::FileStamp& stamp) {
    if (const auto failure = injected(Call::FileStamp))
        return *failure;
    const std::string name = normal(path);
    const auto found = files_.find(name);
    if (found == files_.end()) {
        stamp = ::FileStamp{};
        return hasFolder(name) ? FileResult::Failed : FileResult::Missing;
    }
    const Identity& identity = identities_[name];
    stamp = ::FileStamp{true, found->second.size(), identity.version, identity.file};
    return FileResult::Ok;
}

FileResult MemoryFileSystem::readFile(const std::string& path, std::string& content) {
    if (const auto failure = injected(Call::ReadFile))
        return *failure;
    const auto found = files_.find(normal(path));
    if (found == files_.end())
        return FileResult::Missing;
    if (found->second.size() > largestReadable_)
        return FileResult::Failed;
    content = found->second;
    return FileResult::Ok;
}

bool MemoryFileSystem::createFile(const std::string& path, std::uintptr_t& file) {
    const std::string name = normal(path);
    // Only a new file, as the platform's makes: a save never writes into another's.
    if (injected(Call::CreateFile) || name.size() > LONGEST_PATH_CHARS ||
        !hasFolder(folderOf(name)) || hasFolder(name) || files_.contains(name))
        return false;
    files_[name].clear();
    renew(name, true);
    file = nextHandle_++;
    handles_[file] = name;
    return true;
}

bool MemoryFileSystem::writeFile(std::uintptr_t file, std::string_view data) {
    const auto handle = handles_.find(file);
    if (injected(Call::WriteFile) || handle == handles_.end())
        return false;
    files_[handle->second].append(data);
    renew(handle->second, false);
    return true;
}

bool MemoryFileSystem::flushFile(std::uintptr_t file) {
    return !injected(Call::FlushFile) && handles_.contains(file);
}

bool MemoryFileSystem::closeFile(std::uintptr_t file) {
    // The handle is released either way, as CloseHandle does.
    const bool failed = injected(Call::CloseFile).has_value();
    return handles_.erase(file) == 1 && !failed;
}

FileResult MemoryFileSystem::moveFile(const std::string& from, const std::string& to) {
    if (const auto failure = injected(Call::MoveFile))
        return *failure;
    const std::string source = normal(from);
    const std::string target = normal(to);
    const auto found = files_.find(source);
    if (found == files_.end())
        return FileResult::Missing;
    if (!hasFolder(folderOf(target)))
        return FileResult::Missing;
    if (hasFolder(target) || target.size() > LONGEST_PATH_CHARS)
        return FileResult::Failed;
    std::string content = std::move(found->second);
    files_.erase(found);
    files_[target] = std::move(content);
    // The moved file keeps what it is: a replace by rename is another file.
    identities_[target] = identities_[source];
    identities_.erase(source);
    if (shared_.erase(source) == 1)
        shared_.insert(target);
    else
        shared_.erase(target);
    return FileResult::Ok;
}

bool MemoryFileSystem::removeFile(const std::string& path) {
    if (injected(Call::RemoveFile) || files_.erase(normal(path)) != 1)
        return false;
    identities_.erase(normal(path));
    shared_.erase(normal(path));
    return true;
}

bool MemoryFileSystem::shareWithAllUsers(const std::string& path) {
    if (injected(Call::ShareWithAllUsers) || !files_.contains(normal(path)))
        return false;
    shared_.insert(normal(path));
    return true;
}

FileResult MemoryFileSystem::listFolder(const std::string& folder,
                                        std::vector<std::string>& names) {
    if (const auto failure = injected(Call::ListFolder))
        return *failure;
    std::string name = normal(folder);
    if (name.size() > 1 && name.back() == '\\')
        name.pop_back(); // a drive's root, "C:\"
    if (!hasFolder(name))
        return FileResult::Missing;
    names.clear();
    for (const auto& file : files_) {
        if (folderOf(file.first) == name)
            names.push_back(file.first.substr(name.size() + 1));
    }
    return FileResult::Ok;
}

void MemoryFileSystem::pause(int) {
    ++pauses_;
}
