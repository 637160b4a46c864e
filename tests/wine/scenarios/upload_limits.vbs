' Kestrune.Upload within a page's limits: text fields of 5, 21 and 20 bytes and one past
' the count, files kept at 100 and at exactly 1000 bytes, one of 1001, one of a kind not
' allowed (the list compared without case) and one past the count. The kept files are
' saved and checked byte for byte (upload_limits.sha256); a rejected value never merges
' into a kept field of the same name.
Sub Say(text)
    Response.Write text & vbLf
End Sub

folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set upload = Server.CreateObject("Kestrune.Upload")
Say "Received=" & upload.Received & " TotalBytes=" & Request.TotalBytes
upload.MaxFileBytes = 1000
upload.MaxFiles = 2
upload.MaxFields = 2
upload.MaxFieldBytes = 20
upload.AllowedExtensions = "jpg; PNG ;gif"
Say "limits: " & upload.MaxBodyBytes & " " & upload.MaxFileBytes & " " & upload.MaxFiles & " " & _
    upload.MaxFields & " " & upload.MaxFieldBytes & " [" & upload.AllowedExtensions & "]"
upload.Receive
Say "Received=" & upload.Received & " ReadError=" & upload.ReadError & " Complete=" & upload.Complete & _
    " BytesReceived=" & upload.BytesReceived

Say "FormVariableCount=" & upload.FormVariableCount
For i = 0 To upload.FormVariableCount - 1
    Say "  " & upload.FormVariableByIndex(i)
Next
Say "title=" & upload.FormVariable("title") & " | Form(title).Count=" & upload.Form("title").Count & _
    " | note=[" & upload.FormVariable("note") & "] | Form.Count=" & upload.Form.Count

Say "Files.Count=" & upload.Files.Count & " Filename=" & upload.Filename
For Each f In upload.Files
    Say "kept " & f.FieldName & ": " & f.Filename & ", " & f.FileSize & " bytes, saved as " & f.SaveToFolder(folder)
Next

Say "Rejected.Count=" & upload.Rejected.Count
For Each part In upload.Rejected
    Say "rejected " & part.FieldName & " [" & part.Filename & "] " & part.Size & " bytes: " & part.Reason & _
        " " & part.ReasonText
Next
Say "Rejected(1).FieldName=" & upload.Rejected(1).FieldName

On Error Resume Next
upload.MaxFiles = 5
Say "a limit after the read: " & Err.Number & " | " & Err.Source & " | " & Err.Description & _
    " | MaxFiles=" & upload.MaxFiles
Err.Clear
Set part = upload.Rejected(upload.Rejected.Count)
Say "Rejected(Count): " & Err.Description
