' Prints the file version of the file it is given, for install.cmd /check: cmd itself
' has no way to read a version record.
WScript.Echo CreateObject("Scripting.FileSystemObject").GetFileVersion(WScript.Arguments(0))
