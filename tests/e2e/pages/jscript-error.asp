<%@ Language="JScript" %>
<p>before</p>
<%
var x = 1;
x = undefinedThing + 1;
%>
