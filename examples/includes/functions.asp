<%
' Named .asp, not .inc, so a browser asking for this file gets it run, never its source.
' Small helpers shared by the example pages.

' Everything a page echoes goes through H, so text from the browser can never become markup.
Function H(text)
  H = Server.HTMLEncode(CStr(text))
End Function

' The browser chooses the file name. The component has already cut it after its last
' "\", "/" or ":", and it never holds a double quote; replace what else Windows forbids
' in names, control characters included.
Function SafeFileName(name)
  Dim result, i, ch
  result = ""
  For i = 1 To Len(name)
    ch = Mid(name, i, 1)
    If InStr("*?<>|", ch) > 0 Or StrComp(ch, " ", vbBinaryCompare) < 0 Then ch = "_"
    result = result & ch
  Next
  ' No hidden names and no trailing dots or spaces, which Windows drops silently.
  Do While Left(result, 1) = "."
    result = Mid(result, 2)
  Loop
  Do While Len(result) > 0 And (Right(result, 1) = "." Or Right(result, 1) = " ")
    result = Left(result, Len(result) - 1)
  Loop
  SafeFileName = result
End Function

' The uploads folder is inside the web site, so only kinds of file that IIS sends as they
' are, and never runs, may be stored there. An allow list, because a list of the dangerous
' kinds is never complete: add what your site needs, never a kind that a handler runs.
Function IsAllowedExtension(extension)
  Select Case LCase(extension)
    Case "txt", "csv", "pdf", "jpg", "jpeg", "png", "gif", "webp", "zip", "7z", "gz", _
         "docx", "xlsx", "pptx", "odt", "ods", "mp3", "mp4", "bin", "dat"
      IsAllowedExtension = True
    Case Else
      IsAllowedExtension = False
  End Select
End Function

' Describes the error that On Error Resume Next caught, then clears it.
Function DescribeError()
  DescribeError = "Err.Number " & Err.Number & " (0x" & Hex(Err.Number) & "), Err.Source """ & _
    Err.Source & """, Err.Description """ & Err.Description & """"
  Err.Clear
End Function
%>
