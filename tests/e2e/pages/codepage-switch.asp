<%@ CodePage=1252 %><%= Response.CodePage %>|Grüße|<% Response.CodePage = 65001 %>Grüße|<%
On Error Resume Next
Response.CodePage = 1200
If Err.Number <> 0 Then Response.Write "refused "
Response.Write Response.CodePage
%>
