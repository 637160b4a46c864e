' Errors that a page traps: the number, source and description the component gives, and
' an object that stays usable afterwards.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Sub Try(label)
    Say label & ": " & Err.Number & " | " & Err.Source & " | " & Err.Description
    Err.Clear
End Sub

On Error Resume Next
Set upload = Server.CreateObject("Kestrune.Tessock")
Try "create"
count = upload.FormVariableCount
Say "FormVariableCount=" & count
value = upload.FormVariableByIndex(count)
Try "FormVariableByIndex(count)"
value = upload.FormVariableByIndex(-1)
Try "FormVariableByIndex(-1)"
upload.SaveFile CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%") & "\x.txt"
Try "SaveFile without a file"
Say "FormVariableByIndex(2)=" & upload.FormVariableByIndex(2)
Try "after the errors"
upload.FileSize = 7
Say "FileSize=7 fails: " & (Err.Number <> 0)
Err.Clear
Say "done"
