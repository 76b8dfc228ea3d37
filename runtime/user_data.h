/// \file
/// Where a program keeps what it saves for its user: scores, settings, saved
/// games. The program's own folder (the current directory after RunProgram)
/// may be read-only or shared by every user; this folder belongs to the user.
#pragma once

#include "runtime/string.h"

namespace vtl {

/// The folder for the user's saves and settings of one program:
/// `$XDG_DATA_HOME/organisation/application`, or
/// `$HOME/.local/share/organisation/application` when XDG_DATA_HOME is unset,
/// empty or not an absolute path. Folders that are missing are made (for the
/// user alone) on the way. The result has no trailing "/" and holds the
/// system's bytes, one code per byte, like LaunchDirectory; the two names go
/// into it as UTF-8, so `UserDataDirectory("Zwölf Zwerge", "Höhle")` works.
///
/// Throws TRuntimeException with a message that says why when a name is
/// empty, ".", "..", or holds "/", "\\" or a zero code (it would leave the
/// data folder or not be one folder), when neither variable gives a folder,
/// or when the folder cannot be made.
String UserDataDirectory(const String& organisation, const String& application);

}  // namespace vtl
