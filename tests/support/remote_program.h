// The real belvanto.exe driven from outside its process, as a user would: the
// appointment list and its editor through their controls, timer messages that
// return once handled, the list's rows and the alarm windows read back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/time_value.h"
#include "tests/support/test_process.h"
#include "tests/support/window_driver.h"

constexpr UINT_PTR PROGRAM_TICK_TIMER = 11;
constexpr UINT_PTR PROGRAM_FILE_TIMER = 12;

// Memory in another process, for the messages whose data travels by pointer.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    LPARAM address(std::size_t offset = 0) const {
        return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
    }
    bool write(const void* data, std::size_t size, std::size_t offset = 0) const;
    bool read(void* data, std::size_t size, std::size_t offset = 0) const;

  private:
    HANDLE process_;
    void* address_ = nullptr;
};

class RemoteProgram {
  public:
    explicit RemoteProgram(const RunningProgram& program) : program_(program) {}

    // WM_TIMER with the program's own id, sent: true once the program has handled it.
    bool sendTimer(UINT_PTR id) const;
    // A menu command that opens nothing (the alarm switch), handled before it returns.
    bool sendMenuCommand(WORD id) const;

    // The appointment list opened from the menu; nullptr when it did not appear.
    HWND openList() const;
    // A new row in the open list, written through the editor ("Neu").
    bool addRow(HWND list, const std::string& text, TimeValue time) const;
    // The text and time columns of the open list.
    std::vector<ListRow> rows(HWND list) const;
    // OK (or Abbrechen) of the open list; true once it is closed and what follows
    // (the save after OK) is done.
    bool closeList(HWND list, int button) const;

    // The texts of the program's alarm windows on screen.
    std::vector<std::string> alarms() const;

  private:
    const RunningProgram& program_;
};
