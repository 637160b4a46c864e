<%
' Named .asp, not .inc, so a browser asking for this file gets it run, never its source.
' Small helpers shared by the example pages.

' The uploads folder is inside the web site, so only kinds of file that IIS sends as they
' are, and never runs, may be stored there. An allow list, because a list of the dangerous
' kinds is never complete: add what your site needs, never a kind that a handler runs.
' SaveToFolder takes it as it is and judges the extension of the name it stores under.
Const ALLOWED_EXTENSIONS = "txt;csv;pdf;jpg;jpeg;png;gif;webp;zip;7z;gz;docx;xlsx;pptx;odt;ods;mp3;mp4;bin;dat"

' Everything a page echoes goes through H, so text from the browser can never become markup.
Function H(text)
  H = Server.HTMLEncode(CStr(text))
End Function

' Describes the error that On Error Resume Next caught, then clears it.
Function DescribeError()
  DescribeError = "Err.Number " & Err.Number & " (0x" & Hex(Err.Number) & "), Err.Source """ & _
    Err.Source & """, Err.Description """ & Err.Description & """"
  Err.Clear
End Function
%>
