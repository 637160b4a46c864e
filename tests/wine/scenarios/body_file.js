// A body at the body-file threshold goes to a temporary body file (the test switch puts
// the threshold at this body's size); every member reads as from memory.
var upload = Server.CreateObject("Kestrune.Tessock");
Response.Write("BodyInFile=" + upload.BodyInFile + " Complete=" + upload.Complete + " ReadError=" +
               upload.ReadError + " BytesReceived=" + upload.BytesReceived + "\n");
Response.Write("note=" + upload.Form("note") + " FileSize=" + upload.FileSize + "\n");
Response.Write("done\n");
