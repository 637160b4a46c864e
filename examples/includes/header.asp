<%
' The page that includes this file sets pageTitle first.
Response.ContentType = "text/html; charset=utf-8"
%><!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title><%= H(pageTitle) %> - Kestrune examples</title>
<link rel="stylesheet" href="style.css">
</head>
<body>
<header>
  <a class="home" href="./">Kestrune examples</a>
  <nav>
    <a href="upload-form.asp">Upload a file</a>
    <a href="overwrite-modes.asp">Overwrite modes</a>
  </nav>
</header>
<main>
<h1><%= H(pageTitle) %></h1>
