</main>
<footer>Kestrune receives the files and form fields of a request: Kestrune.Upload within the
page's limits, Kestrune.Tessock as they come.</footer>
</body>
</html>
