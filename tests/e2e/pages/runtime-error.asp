<%@ Language="VBScript" %>
<p>before</p>
<%
Dim x
x = CInt("not a number")
%>