// FIFOs and symbolic links for tests, where the system can have them. On Windows a symbolic
// link needs a privilege (or developer mode) and there are no FIFOs; under Wine both are made
// on the Linux side by running ln and mkfifo, since Wine shows the Linux file system.
#pragma once

#include <filesystem>
#include <string>

namespace qvm::test {

// Whether this is a Windows program running under Wine; false on other systems.
bool UnderWine();

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// Windows keeps one entry of a name in every letter case: "Hero.jpg" and "HERO.JPG" cannot
// both be there, so tests of case variants leave those out.
inline constexpr bool kNamesIgnoreCase = kWindows;

// Wine shows a Linux symbolic link as the file or folder it points to (and one leading nowhere
// as nothing), never as a link, so what reading and listing make of links cannot be tested
// there. Writing through one is still refused: Win32Os compares the path opened with the path
// asked for.
inline constexpr const char* kWineShowsLinksAsTargets =
    "Wine shows a Linux symbolic link as what it points to";

// Makes a FIFO at `path`; false where the system cannot.
bool MakeFifo(const std::filesystem::path& path);

// Makes `link` a symbolic link to `target` (which need not exist; a relative target stays
// relative); false where the system cannot.
bool MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link);

// Why MakeFifo or MakeSymlink made nothing.
const char* CannotMake(const std::string& kind);

#ifdef _WIN32
// How many FIFOs and links the Linux side has made: std::filesystem::remove_all never returns
// from a folder with a FIFO under Wine, so a TempFolder that saw this change has Linux
// remove it.
int MadeOnLinux();

// The Linux path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::filesystem::path& path);

// Runs a Linux shell command under Wine; true when it succeeded.
bool RunUnix(const std::string& command);

// 'text' for the shell.
std::string Quoted(const std::string& text);
#endif

}  // namespace qvm::test
