<%@ Language="VBScript" %><%
' Echoes what Request knows besides the body, one value per line, for the HTTP tests.
Response.ContentType = "text/plain"
Dim names, name
names = Array("REQUEST_METHOD", "CONTENT_TYPE", "CONTENT_LENGTH", "QUERY_STRING", _
  "SCRIPT_NAME", "PATH_INFO", "SERVER_PORT", "HTTP_X_TEST")
For Each name In names
  Response.Write name & "=" & Request.ServerVariables(name) & vbLf
Next
Response.Write "q.a=" & Request.QueryString("a") & vbLf
Response.Write "q.a.empty=" & IsEmpty(Request.QueryString("missing")) & vbLf
Response.Write "q.count=" & Request.QueryString.Count & vbLf
Response.Write "q.all=" & Request.QueryString & vbLf
Response.Write "item.b=" & Request.Item("b") & vbLf
Response.Write "mappath.uploads=" & Server.MapPath("uploads") & vbLf
Response.Write "mappath.root=" & Server.MapPath("/") & vbLf
Response.Write "html=" & Server.HTMLEncode("<a href=""x"">&</a>") & vbLf
Response.Write "url=" & Server.URLEncode("a b&c/dé") & vbLf
Response.Write "buffer=" & Response.Buffer & vbLf
Response.Write "connected=" & Response.IsClientConnected & vbLf
%>