<%@ Language="VBScript" CodePage=65001 %>
<% Option Explicit %>
<%
' One upload of the soak (scripts/commands/soak.sh): stores every file it was sent under
' saved\ID-K-NAME and says what it stored, for the client to check against what it sent.
' The class alternates, so both roads are soaked: Tessock reads as it is created, Upload
' when Receive is called.
Dim upload, file, k, folder, id
id = CLng(Request.QueryString("id"))
If Request.QueryString("class") = "Upload" Then
  Set upload = Server.CreateObject("Kestrune.Upload")
  upload.CodePage = 65001
  upload.Receive
Else
  Set upload = Server.CreateObject("Kestrune.Tessock")
  upload.CodePage = 65001
End If
If Not upload.Complete Then
  ' A client gone midway: nothing of it is stored.
  Response.Write "incomplete " & upload.ReadError & vbLf
  Response.End
End If
Response.Write "note " & upload.Form("note") & vbLf
folder = Server.MapPath("saved")
For k = 0 To upload.Files.Count - 1
  Set file = upload.Files(k)
  file.SaveFile folder & "\" & id & "-" & k & "-" & file.Filename
  Response.Write "saved " & k & " " & file.FileSize & " " & file.Hash("SHA256") & " " & file.Filename & vbLf
Next
%>
