<%
' Named .asp, not .inc, so a browser asking for this file gets it run, never its source.
' Small helpers shared by the example pages.

' Everything a page echoes goes through H, so text from the browser can never become markup.
Function H(text)
  H = Server.HTMLEncode(CStr(text))
End Function

' The browser chooses the file name. Keep only its last part and replace characters
' that Windows forbids in names ("/" is one: the component does not split on it).
Function SafeFileName(name)
  Dim result, i, ch
  result = ""
  For i = 1 To Len(name)
    ch = Mid(name, i, 1)
    If InStr("\/:*?""<>|", ch) > 0 Or StrComp(ch, " ", vbBinaryCompare) < 0 Then ch = "_"
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

' The uploads folder is inside the web site: never store a file the server would run.
Function IsBlockedExtension(extension)
  Dim blocked
  blocked = "|asp|aspx|asa|asax|ascx|ashx|asmx|cer|cdx|config|shtml|shtm|stm|htr|idc|exe|dll|com|bat|cmd|vbs|js|ps1|"
  IsBlockedExtension = InStr(blocked, "|" & LCase(extension) & "|") > 0
End Function

' Describes the error that On Error Resume Next caught, then clears it.
Function DescribeError()
  DescribeError = "Err.Number " & Err.Number & " (0x" & Hex(Err.Number) & "), Err.Source """ & _
    Err.Source & """, Err.Description """ & Err.Description & """"
  Err.Clear
End Function
%>
