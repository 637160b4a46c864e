' Under code page 932, a UTF-8 name: 0x81 in "ぁ" (E3 81 81) followed by the dot is a
' double-byte character to the system, which hides the extension on the default road.
' With CodePage = 65001 the name splits as UTF-8 and saves under its own name, and a
' field of that name is found by name and by position.
Sub Say(text)
    Response.Write text & vbLf
End Sub

folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "CodePage 0: FileExtension=[" & upload.FileExtension & "]"
upload.CodePage = 65001
Say "Filename=" & upload.Filename
Say "FileExtension=" & upload.FileExtension
Say "FileNameNoExtension=" & upload.FileNameNoExtension
' The field's own name, which no lead byte can run into its "=".
Say "FormVariable(ぁ)=" & upload.FormVariable("ぁ") & " ByIndex(0)=" & upload.FormVariableByIndex(0)
upload.OverwriteMode = 2
upload.SaveFile folder & "\" & upload.Filename
upload.SaveFile folder & "\" & upload.Filename
Say "NewName=" & upload.NewName
Set fso = CreateObject("Scripting.FileSystemObject")
Say "saved: " & fso.FileExists(folder & "\ぁ.txt") & " " & fso.FileExists(folder & "\ぁ~1.txt")
