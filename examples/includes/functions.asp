<%
' Named .asp, not .inc, so a browser asking for this file gets it run, never its source.
' Small helpers shared by the example pages.

' The uploads folder is inside the web site, so only kinds of file that IIS sends as they
' are, and never runs, may be stored there. An allow list, because a list of the dangerous
' kinds is never complete: add what your site needs, never a kind that a handler runs.
' SaveToFolder takes it as it is and judges the extension of the name it stores under.
Const ALLOWED_EXTENSIONS = "txt;csv;pdf;jpg;jpeg;png;gif;webp;zip;7z;gz;docx;xlsx;pptx;odt;ods;mp3;mp4;bin;dat"

' What the upload form takes, in bytes and counts: the result page hands these to
' Kestrune.Upload before it reads the request, and the form page states them. A file is
' kept up to and including MAX_FILE_BYTES, so a file of exactly 200 MiB is stored. The
' whole request may be a little larger than the largest file, for the other files, the
' text fields and the multipart headers; above MAX_BODY_BYTES nothing is read at all.
' On IIS, set the request limits (docs\installing-on-iis.md) a little above MAX_BODY_BYTES,
' or IIS refuses large uploads before this page can answer them.
Const MAX_BODY_BYTES = 268435456   ' 256 MiB for the whole request
Const MAX_FILE_BYTES = 209715200   ' 200 MiB for each file
Const MAX_FILES = 10               ' the file inputs together
Const MAX_FIELDS = 20              ' text fields: the form has three
Const MAX_FIELD_BYTES = 65536      ' 64 KiB for each text field's value

' A byte count as people read it: 268435456 is "256 MiB".
Function SizeText(bytes)
  If bytes >= 1048576 And bytes Mod 1048576 = 0 Then
    SizeText = (bytes \ 1048576) & " MiB"
  ElseIf bytes >= 1024 And bytes Mod 1024 = 0 Then
    SizeText = (bytes \ 1024) & " KiB"
  Else
    SizeText = bytes & " bytes"
  End If
End Function

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
