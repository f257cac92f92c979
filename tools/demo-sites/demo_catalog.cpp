#include "demo-sites/demo_catalog.h"

namespace quillora {

namespace {

using C = TFieldCheck;
using R = TFieldRole;

const std::vector<std::string> kLicences = {"Freeware", "Shareware", "Demo", "Commercial",
                                            "Open Source"};
const std::vector<std::string> kCategories = {"Business", "Desktop",  "Development", "Education",
                                              "Games",    "Graphics", "Internet",    "Multimedia",
                                              "Security", "Utilities"};
const std::vector<std::string> kOses = {"Win10", "Win11", "WinXP", "Win7",
                                        "Linux", "MacOS", "Java"};

std::vector<std::string> Numbers(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(std::to_string(i));
  return v;
}
std::vector<std::string> TwoDigits(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back((i < 10 ? "0" : "") + std::to_string(i));
  return v;
}

// ---------------------------------------------------------------- Fresh Downloads
// An old table layout: labels in the left cells, a plain URL-encoded post.
TDemoSite FreshDownloads() {
  TDemoSite s;
  s.host = "freshdownloads";
  s.name = "Fresh Downloads";
  s.language = "English";
  s.home_html = R"~(<html>
<head><title>Fresh Downloads - new shareware and freeware every day</title></head>
<body bgcolor="#ffffff" link="#003399">
<table width="760" border="0" cellspacing="0" cellpadding="0"><tr><td bgcolor="#003399"><font color="white" size="5"><b>Fresh Downloads</b></font></td></tr>
<tr><td><a href="/">Home</a> | <a href="/submit.php">Submit software</a> | <a href="/search.php?q=">Search</a> | <a href="/rules.html">Rules</a></td></tr></table>
<h3>Today's new downloads</h3>
<form action="/search.php" method="get">Search: <input type="text" name="q" size="20"> <input type="submit" value="Go"></form>
<p>Authors: <a href="/submit.php">add your program here</a>. Listing is free.
</body></html>
)~";
  s.extra_path = "/rules.html";
  s.extra_html = R"~(<html><head><title>Submission rules - Fresh Downloads</title></head><body>
<h3>Rules</h3><ol><li>Only programs that install cleanly.</li><li>Short description up to 80 characters.</li><li>No adware.</li></ol></body></html>
)~";
  TDemoForm f;
  f.page = "/submit.php";
  f.action = "/submit.php";
  f.html = R"~(<html>
<head><title>Submit your software - Fresh Downloads</title>
<style>td.l {font-weight:bold;text-align:right;width:180px}</style></head>
<body bgcolor="#ffffff">
<table width="760" border="0"><tr><td bgcolor="#003399"><font color="white" size="5"><b>Fresh Downloads</b></font></td></tr></table>
<h3>Submit software</h3>
<p>Fields marked <font color=red>*</font> are required.
<form name="submitform" method="post" action="/submit.php">
<table border="0" cellpadding="3">
<tr><td class=l>Program title <font color=red>*</font></td><td><input type="text" name="title" size="40" maxlength="60"></td></tr>
<tr><td class=l>Version <font color=red>*</font></td><td><input type=text name="version" size="10" maxlength="20"></td></tr>
<tr><td class=l>Category</td><td><select name="category">
<option value="">-- choose --
<option>Business<option>Desktop<option>Development<option>Education<option>Games<option>Graphics<option>Internet<option>Multimedia<option>Security<option>Utilities
</select></td></tr>
<tr><td class=l>License</td><td><select name="license"><option value="">--<option>Freeware<option>Shareware<option>Demo<option>Commercial<option>Open Source</select></td></tr>
<tr><td class=l>Price (USD)</td><td><input type="text" name="price" size="8"></td></tr>
<tr><td class=l>Short description <font color=red>*</font></td><td><input type="text" name="desc80" size="60" maxlength="80"></td></tr>
<tr><td class=l valign=top>Long description <font color=red>*</font></td><td><textarea name="long_description" rows="8" cols="50"></textarea></td></tr>
<tr><td class=l>Homepage URL <font color=red>*</font></td><td><input type="text" name="homepage" size="50"></td></tr>
<tr><td class=l>Download URL <font color=red>*</font></td><td><input type="text" name="download_url" size="50"></td></tr>
<tr><td class=l>File size (bytes)</td><td><input type="text" name="filesize" size="12"></td></tr>
<tr><td class=l>Your name</td><td><input type="text" name="author" size="30"></td></tr>
<tr><td class=l>Your e-mail <font color=red>*</font></td><td><input type="text" name="email" size="30"></td></tr>
<tr><td></td><td><input type="submit" name="send" value="Submit program"></td></tr>
</table>
</form>
</body></html>
)~";
  f.rules = {
      {"title", "Program title", true, C::kText, 2, 60, R::kName},
      {"version", "Version", true, C::kText, 1, 20, R::kVersion},
      {"category", "Category", false, C::kChoice, 0, 255, R::kNone, kCategories},
      {"license", "License", false, C::kChoice, 0, 255, R::kNone, kLicences},
      {"desc80", "Short description", true, C::kText, 10, 80, R::kShortDescription},
      {"long_description", "Long description", true, C::kText, 30, 4000, R::kLongDescription},
      {"homepage", "Homepage URL", true, C::kUrl, 0, 255, R::kHomePage},
      {"download_url", "Download URL", true, C::kUrl, 0, 255, R::kDownload},
      {"filesize", "File size", false, C::kNumber, 0, 12},
      {"author", "Your name", false, C::kText, 0, 60},
      {"email", "Your e-mail", true, C::kEmail, 0, 100, R::kEmail}};
  s.forms.push_back(f);
  s.search = {"/search.php",
              "q",
              false,
              TSearchKind::kNormal,
              "",
              R"~(<html><head><title>Search: {{QUERY}} - Fresh Downloads</title></head><body>
<table width="760"><tr><td bgcolor="#003399"><font color="white" size="5"><b>Fresh Downloads</b></font></td></tr></table>
<h3>Search results</h3>
)~",
              R"~(<p><b><a href="/program.php?id={{ID}}">{{NAME}} {{VERSION}}</a></b><br>
<font size="-1">{{EXCERPT}}</font><br><a href="{{HOME}}">Author's homepage</a></p>
)~",
              "<p>No results found. Try fewer words.</p>\n",
              "</body></html>\n"};
  s.success_html = R"~(<html><head><title>Thank you - Fresh Downloads</title></head><body>
<h3>Thank you!</h3><p>Your program <b>{{NAME}}</b> has been received (ticket #{{ID}}). It will be listed after review.</p></body></html>
)~";
  s.error_html = R"~(<html><head><title>Error - Fresh Downloads</title></head><body>
<h3><font color="red">Your submission could not be accepted</font></h3>
<p>Please correct the following fields:</p><ul>
{{ERRORS}}</ul><p><a href="javascript:history.back()">Back</a></p></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- Soft Archive
// A newer layout: <label for>, a multipart post with pictures, check boxes and radios.
TDemoSite SoftArchive() {
  TDemoSite s;
  s.host = "softarchive";
  s.name = "Soft Archive";
  s.language = "English";
  s.home_html = R"~(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Soft Archive | Software downloads</title></head>
<body><header><nav><a href="/">Soft Archive</a> <a href="/publish/new">Publish</a></nav>
<form action="/search" method="post"><input type="search" name="keywords" placeholder="Search software"><input type="hidden" name="cat" value="all"><button>Search</button></form></header>
<main><h1>Software for every platform</h1><p>Publishers: <a href="/publish/new">publish your app</a>.</p></main></body></html>
)~";
  TDemoForm f;
  f.page = "/publish/new";
  f.action = "/publish/create";
  f.html = R"~(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Publish a program - Soft Archive</title></head>
<body><header><nav><a href="/">Soft Archive</a></nav></header>
<main>
<h1>Publish a program</h1>
<form id="publish" action="/publish/create" method="post" enctype="multipart/form-data" class="form-horizontal">
 <div class="row"><label for="prog_nm">Program name *</label> <input id="prog_nm" name="prog_nm" type="text" maxlength="50" required></div>
 <div class="row"><label for="sw_version">Version *</label> <input id="sw_version" name="sw_version" type="text" maxlength="15"></div>
 <div class="row"><label for="publisher">Publisher</label> <input id="publisher" name="publisher" type="text"></div>
 <div class="row"><label for="pub_email">Contact e-mail *</label> <input id="pub_email" name="pub_email" type="email"></div>
 <div class="row"><label for="site_url">Product page *</label> <input id="site_url" name="site_url" type="url"></div>
 <div class="row"><label for="dl_url">Download link *</label> <input id="dl_url" name="dl_url" type="url"></div>
 <fieldset><legend>Operating systems *</legend>
  <label><input type="checkbox" name="os[]" value="Win11"> Windows 11</label>
  <label><input type="checkbox" name="os[]" value="Win10"> Windows 10</label>
  <label><input type="checkbox" name="os[]" value="Win7"> Windows 7</label>
  <label><input type="checkbox" name="os[]" value="Linux"> Linux</label>
  <label><input type="checkbox" name="os[]" value="MacOS"> macOS</label>
 </fieldset>
 <fieldset><legend>Licence *</legend>
  <input type="radio" name="lic" id="lic1" value="Freeware"><label for="lic1">Freeware</label>
  <input type="radio" name="lic" id="lic2" value="Shareware"><label for="lic2">Shareware</label>
  <input type="radio" name="lic" id="lic3" value="Demo"><label for="lic3">Demo</label>
  <input type="radio" name="lic" id="lic4" value="Open Source"><label for="lic4">Open source</label>
 </fieldset>
 <div class="row"><label for="summary">Summary (max. 250) *</label><br><textarea id="summary" name="summary" maxlength="250" rows="3" cols="60"></textarea></div>
 <div class="row"><label for="details">Full description</label><br><textarea id="details" name="details" rows="10" cols="60"></textarea></div>
 <div class="row"><label for="icon">Icon (32x32 PNG)</label> <input id="icon" name="icon" type="file" accept="image/png"></div>
 <div class="row"><label for="shot">Screenshot</label> <input id="shot" name="shot" type="file" accept="image/*"></div>
 <div class="row"><input type="checkbox" name="agree" id="agree" value="1"> <label for="agree">I own the rights to this program *</label></div>
 <button type="submit" class="btn btn-primary">Publish</button>
</form></main></body></html>
)~";
  f.rules = {{"prog_nm", "Program name", true, C::kText, 2, 50, R::kName},
             {"sw_version", "Version", true, C::kText, 1, 15, R::kVersion},
             {"publisher", "Publisher", false, C::kText, 0, 80},
             {"pub_email", "Contact e-mail", true, C::kEmail, 0, 100, R::kEmail},
             {"site_url", "Product page", true, C::kUrl, 0, 255, R::kHomePage},
             {"dl_url", "Download link", true, C::kUrl, 0, 255, R::kDownload},
             {"os[]",
              "Operating systems",
              true,
              C::kChoice,
              0,
              255,
              R::kNone,
              {"Win11", "Win10", "Win7", "Linux", "MacOS"}},
             {"lic",
              "Licence",
              true,
              C::kChoice,
              0,
              255,
              R::kNone,
              {"Freeware", "Shareware", "Demo", "Open Source"}},
             {"summary", "Summary", true, C::kText, 20, 250, R::kShortDescription},
             {"details", "Full description", false, C::kText, 0, 5000, R::kLongDescription},
             {"icon", "Icon", false, C::kImage},
             {"shot", "Screenshot", false, C::kImage},
             {"agree", "Rights", true, C::kChoice, 0, 255, R::kNone, {"1"}}};
  s.forms.push_back(f);
  s.search = {
      "/search",
      "keywords",
      true,
      TSearchKind::kNormal,
      "",
      R"~(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Search results - Soft Archive</title></head>
<body><header><nav><a href="/">Soft Archive</a></nav></header><main><h1>Results for "{{QUERY}}"</h1><ol class="results">
)~",
      R"~(<li><h2><a href="/app/{{ID}}">{{NAME}}</a> <span class="ver">{{VERSION}}</span></h2><p>{{EXCERPT}}</p></li>
)~",
      "</ol><p class=\"empty\">No matching software. Check the spelling or browse the "
      "categories.</p><ol>\n",
      "</ol></main></body></html>\n"};
  s.success_html =
      R"~(<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>Published - Soft Archive</title></head>
<body><main><div class="alert alert-success">Thanks! <b>{{NAME}}</b> was added to the moderation queue (#{{ID}}).</div></main></body></html>
)~";
  s.error_html =
      R"~(<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>Publish a program - Soft Archive</title></head>
<body><main><div class="alert alert-danger"><p>Please fix these errors:</p><ul>
{{ERRORS}}</ul></div><p><a href="/publish/new">Start again</a></p></main></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- Shareware Hub
// A page made by a web-forms framework: generated names, a view-state token, an image button.
TDemoSite SharewareHub() {
  TDemoSite s;
  s.host = "sharewarehub";
  s.name = "Shareware Hub";
  s.language = "English";
  s.home_html = R"~(<html><head><title>Shareware Hub</title></head><body>
<form name="aspnetForm" method="get" action="/Search.aspx" id="aspnetForm">
<span id="ctl00_lblBrand">Shareware Hub</span> <input name="ctl00$q" type="text" id="ctl00_q"> <input type="submit" value="Search">
</form>
<p><a href="/Authors/Submit.aspx">Submit a program</a></p></body></html>
)~";
  TDemoForm f;
  f.page = "/Authors/Submit.aspx";
  f.action = "/Authors/Submit.aspx";
  f.token_name = "__VIEWSTATE";
  f.token_value = "dDwtMTA4MTk2NjQ5Mzt0PDtsPGk8MT47PjtsPHQ8O2w8aTwxPjs+Oz4+Oz4+";
  f.html = R"~(<html>
<head><title>
	Submit Software :: Shareware Hub
</title></head>
<body>
<form name="aspnetForm" method="post" action="/Authors/Submit.aspx" id="aspnetForm">
<div>
<input type="hidden" name="__EVENTTARGET" id="__EVENTTARGET" value="" />
<input type="hidden" name="__EVENTARGUMENT" id="__EVENTARGUMENT" value="" />
<input type="hidden" name="__VIEWSTATE" id="__VIEWSTATE" value="dDwtMTA4MTk2NjQ5Mzt0PDtsPGk8MT47PjtsPHQ8O2w8aTwxPjs+Oz4+Oz4+" />
</div>
<div id="ctl00_main_pnlForm">
<span id="ctl00_main_Label1">Software Name:</span>
<input name="ctl00$main$TextBox1" type="text" maxlength="64" id="ctl00_main_TextBox1" style="width:300px;" /><br />
<span id="ctl00_main_Label2">Version:</span>
<input name="ctl00$main$TextBox2" type="text" maxlength="16" id="ctl00_main_TextBox2" /><br />
<span id="ctl00_main_Label3">Description (100 chars):</span>
<input name="ctl00$main$TextBox3" type="text" maxlength="100" id="ctl00_main_TextBox3" style="width:400px;" /><br />
<span id="ctl00_main_Label4">Full Description:</span>
<textarea name="ctl00$main$TextBox4" rows="6" cols="60" id="ctl00_main_TextBox4"></textarea><br />
<span id="ctl00_main_Label5">Website:</span>
<input name="ctl00$main$TextBox5" type="text" id="ctl00_main_TextBox5" /><br />
<span id="ctl00_main_Label6">Email:</span>
<input name="ctl00$main$TextBox6" type="text" id="ctl00_main_TextBox6" /><br />
<span id="ctl00_main_Label7">Category:</span>
<select name="ctl00$main$DropDownList1" id="ctl00_main_DropDownList1">
	<option selected="selected" value="0">Select...</option>
	<option value="1">Business</option>
	<option value="2">Desktop</option>
	<option value="3">Development</option>
	<option value="5">Games</option>
	<option value="7">Internet</option>
	<option value="10">Utilities</option>
</select><br />
<span id="ctl00_main_Label8">Price:</span>
<input name="ctl00$main$TextBox7" type="text" id="ctl00_main_TextBox7" style="width:60px;" /> USD<br />
<input type="image" name="ctl00$main$ImageButton1" id="ctl00_main_ImageButton1" src="/images/btn_submit.gif" alt="Submit" style="border-width:0px;" />
</div>
</form>
</body>
</html>
)~";
  f.rules = {
      {"ctl00$main$TextBox1", "Software Name", true, C::kText, 2, 64, R::kName},
      {"ctl00$main$TextBox2", "Version", true, C::kText, 1, 16, R::kVersion},
      {"ctl00$main$TextBox3", "Description", true, C::kText, 10, 100, R::kShortDescription},
      {"ctl00$main$TextBox4", "Full Description", false, C::kText, 0, 3000, R::kLongDescription},
      {"ctl00$main$TextBox5", "Website", true, C::kUrl, 0, 255, R::kHomePage},
      {"ctl00$main$TextBox6", "Email", true, C::kEmail, 0, 100, R::kEmail},
      {"ctl00$main$DropDownList1",
       "Category",
       true,
       C::kChoice,
       0,
       255,
       R::kNone,
       {"1", "2", "3", "5", "7", "10"}},
      {"ctl00$main$TextBox7", "Price", false, C::kText, 0, 12}};
  s.forms.push_back(f);
  s.search = {
      "/Search.aspx",
      "ctl00$q",
      false,
      TSearchKind::kNormal,
      "",
      R"~(<html><head><title>Search :: Shareware Hub</title></head><body>
<span id="ctl00_main_lblResults">Results</span>
<table id="ctl00_main_GridView1" cellspacing="0" rules="all" border="1">
)~",
      R"~(<tr><td><a href="/Software/Details.aspx?id={{ID}}">{{NAME}}</a></td><td>{{VERSION}}</td><td>{{EXCERPT}}</td></tr>
)~",
      R"~(<tr><td>We have nothing on file for that. Try another word.</td></tr>
)~",
      "</table></body></html>\n"};
  s.success_html = R"~(<html><head><title>Submit Software :: Shareware Hub</title></head><body>
<span id="ctl00_main_lblMessage" style="color:Green;">Submission successful. {{NAME}} will appear after approval. Reference: {{ID}}</span></body></html>
)~";
  s.error_html = R"~(<html><head><title>Submit Software :: Shareware Hub</title></head><body>
<div id="ctl00_main_ValidationSummary1" style="color:Red;">Submission failed.<ul>
{{ERRORS}}</ul></div></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- Download Zone
// Placeholders only, no labels; its result page repeats the search words, so one mention proves
// nothing.
TDemoSite DownloadZone() {
  TDemoSite s;
  s.host = "downloadzone";
  s.name = "Download Zone";
  s.language = "English";
  s.home_html = R"~(<!doctype html><html><head><title>Download Zone</title></head><body>
<div class="hero"><h1>Download Zone</h1><form action="/find"><input name="s" placeholder="Find apps..."></form></div>
<a class="cta" href="/add-app">Add your app</a></body></html>
)~";
  TDemoForm f;
  f.page = "/add-app";
  f.action = "/add-app/save";
  f.html = R"~(<!doctype html><html><head><title>Add your app - Download Zone</title></head><body>
<div class="card"><h2>Add your app</h2>
<form method="post" action="/add-app/save" class="stack">
<input name="app_name" placeholder="App name" maxlength="40">
<input name="app_version" placeholder="Version">
<input name="developer" placeholder="Developer / company">
<input name="contact" placeholder="Your email">
<input name="website" placeholder="Website (https://...)">
<input name="file_url" placeholder="Direct download link">
<textarea name="blurb" placeholder="Describe your app in a few sentences"></textarea>
<select name="platform"><option value="">Platform</option><option>Windows</option><option>Mac</option><option>Linux</option><option>Android</option></select>
<select name="pricing"><option value="">Pricing</option><option>Free</option><option>Free trial</option><option>Paid</option></select>
<button>Send</button>
</form></div></body></html>
)~";
  f.rules = {
      {"app_name", "App name", true, C::kText, 2, 40, R::kName},
      {"app_version", "Version", true, C::kText, 1, 20, R::kVersion},
      {"developer", "Developer", false, C::kText, 0, 80},
      {"contact", "Your email", true, C::kEmail, 0, 100, R::kEmail},
      {"website", "Website", true, C::kUrl, 0, 255, R::kHomePage},
      {"file_url", "Direct download link", false, C::kUrl, 0, 255, R::kDownload},
      {"blurb", "Description", true, C::kText, 20, 1000, R::kLongDescription},
      {"platform",
       "Platform",
       false,
       C::kChoice,
       0,
       255,
       R::kNone,
       {"Windows", "Mac", "Linux", "Android"}},
      {"pricing", "Pricing", false, C::kChoice, 0, 255, R::kNone, {"Free", "Free trial", "Paid"}}};
  s.forms.push_back(f);
  s.search = {
      "/find",
      "s",
      false,
      TSearchKind::kNormal,
      "",
      R"~(<!doctype html><html><head><title>Download Zone</title></head><body>
<div class="crumbs">Home &raquo; Search &raquo; {{QUERY}}</div>
<div class="grid">
)~",
      R"~(<div class="tile"><a href="/app/{{ID}}"><b>{{NAME}}</b></a> v{{VERSION}}<p>{{NAME}}: {{EXCERPT}}</p></div>
)~",
      "<div class=\"tile muted\">0 apps</div>\n",
      "</div><footer>Trending: Photo Tools, Zip Master, Notes Pro</footer></body></html>\n"};
  s.success_html =
      R"~(<!doctype html><html><head><title>Download Zone</title></head><body><div class="card ok">Got it! {{NAME}} is in the queue (#{{ID}}).</div></body></html>
)~";
  s.error_html =
      R"~(<!doctype html><html><head><title>Download Zone</title></head><body><div class="card err"><b>Oops, something is missing:</b><ul>
{{ERRORS}}</ul></div></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- Programmdateien (German)
TDemoSite Programmdateien() {
  TDemoSite s;
  s.host = "programmdateien";
  s.name = "Programmdateien";
  s.language = "German";
  s.home_html =
      R"~(<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"><title>Programmdateien - Software zum Herunterladen</title></head><body>
<h1>Programmdateien</h1><form action="/suche" method="get">Suchbegriff: <input type="text" name="begriff"> <input type="submit" value="Suchen"></form>
<p><a href="/eintragen.php">Programm eintragen</a></p></body></html>
)~";
  TDemoForm f;
  f.page = "/eintragen.php";
  f.action = "/eintragen.php";
  f.html = R"~(<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>Programm eintragen - Programmdateien</title></head><body>
<h2>Programm eintragen</h2>
<p>Bitte f&uuml;llen Sie alle mit * markierten Felder aus.</p>
<form method="POST" action="/eintragen.php">
Programmname*: <input type="text" name="programmname" size="40" maxlength="50"><br>
Version*: <input type="text" name="version" size="10"><br>
Hersteller: <input type="text" name="hersteller" size="40"><br>
Kurzbeschreibung* (max. 120 Zeichen): <input type="text" name="kurzbeschreibung" size="60" maxlength="120"><br>
Beschreibung:<br><textarea name="beschreibung" rows="8" cols="60"></textarea><br>
Homepage*: <input type="text" name="homepage" size="50" value="http://"><br>
E-Mail*: <input type="text" name="email" size="40"><br>
Lizenz: <select name="lizenz"><option value="">Bitte w&auml;hlen</option><option value="Freeware">Freeware</option><option value="Shareware">Shareware</option><option value="Demo">Demo</option></select><br>
Ver&ouml;ffentlicht am: <select name="tag"><option value="">Tag</option>
<option>01</option><option>02</option><option>03</option><option>04</option><option>05</option><option>06</option><option>07</option><option>08</option><option>09</option><option>10</option><option>11</option><option>12</option><option>13</option><option>14</option><option>15</option><option>16</option><option>17</option><option>18</option><option>19</option><option>20</option><option>21</option><option>22</option><option>23</option><option>24</option><option>25</option><option>26</option><option>27</option><option>28</option><option>29</option><option>30</option><option>31</option></select>
<select name="monat"><option value="">Monat</option><option value="01">Januar</option><option value="02">Februar</option><option value="03">M&auml;rz</option><option value="04">April</option><option value="05">Mai</option><option value="06">Juni</option><option value="07">Juli</option><option value="08">August</option><option value="09">September</option><option value="10">Oktober</option><option value="11">November</option><option value="12">Dezember</option></select>
<select name="jahr"><option value="">Jahr</option><option>2022</option><option>2023</option><option>2024</option><option>2025</option><option>2026</option></select><br>
Land: <select name="land"><option value="">---</option><option>Deutschland</option><option>&Ouml;sterreich</option><option>Schweiz</option><option>Vereinigte Staaten</option><option>Vereinigtes K&ouml;nigreich</option></select><br>
<input type="checkbox" name="agb" value="ja"> Ich akzeptiere die Nutzungsbedingungen*<br>
<input type="submit" value="Eintragen">
</form></body></html>
)~";
  f.rules = {
      {"programmname", "Programmname", true, C::kText, 2, 50, R::kName},
      {"version", "Version", true, C::kText, 1, 20, R::kVersion},
      {"hersteller", "Hersteller", false, C::kText, 0, 80},
      {"kurzbeschreibung", "Kurzbeschreibung", true, C::kText, 10, 120, R::kShortDescription},
      {"beschreibung", "Beschreibung", false, C::kText, 0, 4000, R::kLongDescription},
      {"homepage", "Homepage", true, C::kUrl, 0, 255, R::kHomePage},
      {"email", "E-Mail", true, C::kEmail, 0, 100, R::kEmail},
      {"lizenz", "Lizenz", false, C::kChoice, 0, 255, R::kNone, {"Freeware", "Shareware", "Demo"}},
      {"tag", "Tag", false, C::kChoice, 0, 255, R::kNone, TwoDigits(1, 31)},
      {"monat", "Monat", false, C::kChoice, 0, 255, R::kNone, TwoDigits(1, 12)},
      {"jahr", "Jahr", false, C::kChoice, 0, 255, R::kNone, Numbers(2022, 2026)},
      {"agb", "Nutzungsbedingungen", true, C::kChoice, 0, 255, R::kNone, {"ja"}}};
  s.forms.push_back(f);
  s.search = {
      "/suche",
      "begriff",
      false,
      TSearchKind::kNormal,
      "",
      R"~(<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"><title>Suche - Programmdateien</title></head><body>
<h2>Suchergebnisse f&uuml;r &quot;{{QUERY}}&quot;</h2>
)~",
      R"~(<div class="treffer"><a href="/programm/{{ID}}.html">{{NAME}} {{VERSION}}</a> &ndash; {{EXCERPT}}</div>
)~",
      "<p>Zu Ihrer Anfrage liegt derzeit nichts vor.</p>\n",
      "</body></html>\n"};
  s.success_html =
      R"~(<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"><title>Vielen Dank - Programmdateien</title></head><body>
<h2>Vielen Dank!</h2><p>Ihr Programm <b>{{NAME}}</b> wurde eingetragen (Nr. {{ID}}) und wird nach Pr&uuml;fung freigeschaltet.</p></body></html>
)~";
  s.error_html =
      R"~(<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"><title>Fehler - Programmdateien</title></head><body>
<h2>Fehler beim Eintragen</h2><p>Bitte korrigieren Sie folgende Angaben:</p><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- App Center
// A login first; the submit page lives behind the session cookie. Also a sign-up page.
TDemoSite AppCenter() {
  TDemoSite s;
  s.host = "appcenter";
  s.name = "App Center";
  s.language = "English";
  s.home_html =
      R"~(<!DOCTYPE html><html><head><title>App Center - developer portal</title></head><body>
<nav><a href="/login.php">Developer login</a> | <a href="/register.php">Create an account</a> | <a href="/submit.php">Submit an app</a></nav>
<form action="/search" method="get"><input type="text" name="q"><input type="submit" value="Search"></form></body></html>
)~";
  TDemoForm login;
  login.kind = TFormKind::kLogin;
  login.page = "/login.php";
  login.action = "/login.php";
  login.html =
      R"~(<!DOCTYPE html><html><head><title>Developer login - App Center</title></head><body>
<h1>Developer login</h1>
<form name="login" method="post" action="/login.php">
<input type="hidden" name="next" value="/submit.php">
<table><tr><td>User name:</td><td><input type="text" name="user" size="20"></td></tr>
<tr><td>Password:</td><td><input type="password" name="pass" size="20"></td></tr></table>
<input type="submit" value="Log in"> <a href="/register.php">No account yet?</a>
</form></body></html>
)~";
  login.rules = {{"user", "User name", true, C::kText, 1, 40, R::kLogin},
                 {"pass", "Password", true, C::kText, 1, 64, R::kPassword}};
  TDemoForm signup;
  signup.kind = TFormKind::kSignup;
  signup.page = "/register.php";
  signup.action = "/register.php";
  signup.html =
      R"~(<!DOCTYPE html><html><head><title>Create an account - App Center</title></head><body>
<h1>Create a developer account</h1>
<form method="post" action="/register.php">
<p>User name: <input type="text" name="user" maxlength="40"></p>
<p>Password: <input type="password" name="password"></p>
<p>Repeat password: <input type="password" name="password2"></p>
<p>Company: <input type="text" name="company"></p>
<p>E-mail: <input type="text" name="email"></p>
<p>Country: <select name="country"><option value="">Select</option><option value="US">United States</option><option value="GB">United Kingdom</option><option value="DE">Germany</option><option value="FR">France</option><option value="CA">Canada</option></select></p>
<p><input type="submit" value="Create account"></p>
</form></body></html>
)~";
  signup.rules = {
      {"user", "User name", true, C::kText, 3, 40, R::kLogin},
      {"password", "Password", true, C::kText, 6, 64, R::kPassword},
      {"email", "E-mail", true, C::kEmail, 0, 100, R::kEmail},
      {"country", "Country", false, C::kChoice, 0, 255, R::kNone, {"US", "GB", "DE", "FR", "CA"}}};
  TDemoForm submit;
  submit.page = "/submit.php";
  submit.action = "/submit.php";
  submit.needs_login = true;
  submit.html =
      R"~(<!DOCTYPE html><html><head><title>Submit an app - App Center</title></head><body>
<p>Logged in. <a href="/logout.php">Log out</a></p>
<h1>Submit an app</h1>
<form name="appform" method="post" action="/submit.php">
<p>App title<br><input type="text" name="title" maxlength="50"></p>
<p>Version<br><input type="text" name="ver" maxlength="20"></p>
<p>Short description<br><input type="text" name="short_desc" maxlength="80" size="80"></p>
<p>Description<br><textarea name="description" rows="6" cols="70"></textarea></p>
<p>Info page<br><input type="text" name="info_url"></p>
<p>Download<br><input type="text" name="download"></p>
<p>Type: <input type="radio" name="type" value="new" checked> New app <input type="radio" name="type" value="update"> Update</p>
<p><input type="submit" value="Submit app"></p>
</form></body></html>
)~";
  submit.rules = {{"title", "App title", true, C::kText, 2, 50, R::kName},
                  {"ver", "Version", true, C::kText, 1, 20, R::kVersion},
                  {"short_desc", "Short description", true, C::kText, 10, 80, R::kShortDescription},
                  {"description", "Description", false, C::kText, 0, 4000, R::kLongDescription},
                  {"info_url", "Info page", true, C::kUrl, 0, 255, R::kHomePage},
                  {"download", "Download", true, C::kUrl, 0, 255, R::kDownload},
                  {"type", "Type", false, C::kChoice, 0, 255, R::kNone, {"new", "update"}}};
  s.forms = {login, signup, submit};
  s.search = {
      "/search",
      "q",
      false,
      TSearchKind::kRedirect,
      "",
      R"~(<!DOCTYPE html><html><head><title>App Center search</title></head><body><h1>Apps</h1><ul>
)~",
      R"~(<li><a href="/app/{{ID}}">{{NAME}}</a> ({{VERSION}}) by <a href="{{HOME}}">the developer</a>: {{EXCERPT}}</li>
)~",
      "<li>No apps found for this search.</li>\n",
      "</ul></body></html>\n"};
  s.success_html =
      R"~(<!DOCTYPE html><html><head><title>Submitted - App Center</title></head><body><h1>Submitted</h1><p>{{NAME}} is waiting for review (#{{ID}}).</p></body></html>
)~";
  s.error_html =
      R"~(<!DOCTYPE html><html><head><title>Error - App Center</title></head><body><h1>There was a problem</h1><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- Tool Finder
// The form sits in an iframe of its own; the search page is slow.
TDemoSite ToolFinder() {
  TDemoSite s;
  s.host = "toolfinder";
  s.name = "Tool Finder";
  s.language = "English";
  s.home_html = R"~(<html><head><title>Tool Finder</title></head><body><h1>Tool Finder</h1>
<form action="/lookup" method="get"><input name="what"> <input type="submit" value="Find"></form>
<a href="/submit.html">Submit a tool</a></body></html>
)~";
  s.extra_path = "/submit.html";
  s.extra_html = R"~(<html><head><title>Submit a tool - Tool Finder</title></head><body>
<h1>Submit a tool</h1>
<p>Use the form below. It is served by our submission partner.</p>
<iframe src="/frame/submit-form.php" width="700" height="600" frameborder="0" name="subframe"></iframe>
</body></html>
)~";
  TDemoForm f;
  f.page = "/frame/submit-form.php";
  f.action = "/frame/submit-form.php";
  f.html = R"~(<html><head><title>form</title></head><body style="margin:0">
<form method="post" action="/frame/submit-form.php">
<div>Name of the tool <input type="text" name="toolname" size="30"></div>
<div>Version <input type="text" name="release" size="8"></div>
<div>What does it do? (one line) <input type="text" name="oneliner" size="60" maxlength="70"></div>
<div>Web site <input type="text" name="url" size="40"></div>
<div>Email address <input type="text" name="mail" size="30"></div>
<div>Operating system <select name="os"><option value="">(any)</option><option>Windows</option><option>Linux</option><option>Mac OS X</option></select></div>
<div><input type="submit" value="Submit"></div>
</form></body></html>
)~";
  f.rules = {{"toolname", "Name of the tool", true, C::kText, 2, 40, R::kName},
             {"release", "Version", true, C::kText, 1, 20, R::kVersion},
             {"oneliner", "One line", true, C::kText, 10, 70, R::kShortDescription},
             {"url", "Web site", true, C::kUrl, 0, 255, R::kHomePage},
             {"mail", "Email address", true, C::kEmail, 0, 100, R::kEmail},
             {"os",
              "Operating system",
              false,
              C::kChoice,
              0,
              255,
              R::kNone,
              {"Windows", "Linux", "Mac OS X"}}};
  s.forms.push_back(f);
  s.search = {"/lookup",
              "what",
              false,
              TSearchKind::kSlow,
              "",
              "<html><head><title>Tool Finder</title></head><body><h1>Tools</h1>\n",
              "<p><a href=\"/tool/{{ID}}\">{{NAME}}</a> {{VERSION}}: {{EXCERPT}}</p>\n",
              "<p>No tools found.</p>\n",
              "</body></html>\n"};
  s.success_html =
      R"~(<html><body><p><b>Thanks.</b> {{NAME}} was submitted (#{{ID}}).</p></body></html>
)~";
  s.error_html = R"~(<html><body><p><b>Error:</b></p><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- File Galaxy
// A submit form and an update form for programs already listed; its search is broken.
TDemoSite FileGalaxy() {
  TDemoSite s;
  s.host = "filegalaxy";
  s.name = "File Galaxy";
  s.language = "English";
  s.home_html = R"~(<html><head><title>File Galaxy - the universe of files</title></head><body>
<h1>File Galaxy</h1><form action="/search.php"><input name="term"><input type="submit" value="Search"></form>
<p><a href="/add.php">Add a program</a> &middot; <a href="/update.php">Update a listed program</a></p></body></html>
)~";
  TDemoForm add;
  add.page = "/add.php";
  add.action = "/add.php";
  add.html = R"~(<html><head><title>Add a program - File Galaxy</title></head><body>
<h2>Add a program</h2>
<form method="post" action="/add.php" name="add">
<table>
<tr><td>Program name:</td><td><input name="pname" type="text"></td></tr>
<tr><td>Version:</td><td><input name="pversion" type="text"></td></tr>
<tr><td>Description:</td><td><textarea name="pdesc" cols="50" rows="5"></textarea></td></tr>
<tr><td>Homepage:</td><td><input name="phome" type="text"></td></tr>
<tr><td>Author e-mail:</td><td><input name="pemail" type="text"></td></tr>
<tr><td>Price:</td><td><input name="pprice" type="text" size="6"></td></tr>
</table>
<input type="submit" value="Add">
</form></body></html>
)~";
  add.rules = {{"pname", "Program name", true, C::kText, 2, 60, R::kName},
               {"pversion", "Version", true, C::kText, 1, 20, R::kVersion},
               {"pdesc", "Description", true, C::kText, 20, 3000, R::kLongDescription},
               {"phome", "Homepage", true, C::kUrl, 0, 255, R::kHomePage},
               {"pemail", "Author e-mail", true, C::kEmail, 0, 100, R::kEmail},
               {"pprice", "Price", false, C::kText, 0, 12}};
  TDemoForm update = add;
  update.kind = TFormKind::kUpdate;
  update.page = "/update.php";
  update.action = "/update.php";
  update.html = R"~(<html><head><title>Update a program - File Galaxy</title></head><body>
<h2>Update a listed program</h2>
<p>The program name must be the one we list.</p>
<form method="post" action="/update.php" name="update">
<table>
<tr><td>Program name:</td><td><input name="pname" type="text"></td></tr>
<tr><td>New version:</td><td><input name="pversion" type="text"></td></tr>
<tr><td>What's new:</td><td><textarea name="pdesc" cols="50" rows="5"></textarea></td></tr>
<tr><td>Homepage:</td><td><input name="phome" type="text"></td></tr>
<tr><td>Author e-mail:</td><td><input name="pemail" type="text"></td></tr>
</table>
<input type="submit" value="Update">
</form></body></html>
)~";
  update.rules.pop_back();
  update.rules[2].label = "What's new";
  update.rules[2].min_length = 5;
  s.forms = {add, update};
  s.search = {"/search.php", "term", false, TSearchKind::kBroken, "", "", "", "", ""};
  s.success_html =
      R"~(<html><body><h2>Done</h2><p>{{NAME}} has been saved (#{{ID}}).</p></body></html>
)~";
  s.error_html = R"~(<html><body><h2>Error</h2><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- PAD Depot
// Takes the address of a PAD file and reads everything else from it.
TDemoSite PadDepot() {
  TDemoSite s;
  s.host = "paddepot";
  s.name = "PAD Depot";
  s.language = "English";
  s.home_html = R"~(<html><head><title>PAD Depot - software by PAD file</title></head><body>
<h1>PAD Depot</h1><p><a href="/submit-pad.php">Submit your PAD file</a></p>
<form action="/search.php" method="get"><input name="keyword"><input type="submit" value="Search"></form></body></html>
)~";
  TDemoForm f;
  f.kind = TFormKind::kPad;
  f.page = "/submit-pad.php";
  f.action = "/submit-pad.php";
  f.html = R"~(<html><head><title>Submit PAD - PAD Depot</title></head><body>
<h2>Submit your PAD file</h2>
<p>Enter the full URL of your PAD (.xml) file. Our robot reads it within 24 hours.</p>
<form action="/submit-pad.php" method="post">
PAD URL: <input type="text" name="padurl" size="70"><br>
Program name (optional): <input type="text" name="progname" size="40"><br>
Your e-mail: <input type="text" name="email" size="40"><br>
<input type="submit" name="submit" value="Submit PAD">
</form></body></html>
)~";
  f.rules = {{"padurl", "PAD URL", true, C::kUrl, 0, 255, R::kPadFile},
             {"progname", "Program name", false, C::kText, 0, 60, R::kName},
             {"email", "Your e-mail", true, C::kEmail, 0, 100, R::kEmail}};
  s.forms.push_back(f);
  s.search = {"/search.php",
              "keyword",
              false,
              TSearchKind::kNormal,
              "",
              "<html><head><title>PAD Depot search</title></head><body><h2>Search</h2>\n",
              "<p><a href=\"/pad/{{ID}}\">{{NAME}}</a> - PAD file received</p>\n",
              "<p>Your search did not match any programs.</p>\n",
              "</body></html>\n"};
  s.success_html =
      R"~(<html><body><h2>PAD file received</h2><p>{{NAME}} is queued (#{{ID}}).</p></body></html>
)~";
  s.error_html = R"~(<html><body><h2>Submission error</h2><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- Mail Submit
// Takes submissions by e-mail only; has a home page and a search page.
TDemoSite MailSubmit() {
  TDemoSite s;
  s.host = "mailsubmit";
  s.name = "Mail Submit Archive";
  s.language = "English";
  s.mail_address = "submit@mailsubmit.localhost";
  s.home_html =
      R"~(<html><head><title>Mail Submit Archive</title></head><body><h1>Mail Submit Archive</h1>
<p>To list your program, send its name, version, description and download address to <a href="mailto:submit@mailsubmit.localhost">submit@mailsubmit.localhost</a>.</p>
<form action="/search.cgi"><input name="query"><input type="submit" value="Search"></form></body></html>
)~";
  s.search = {"/search.cgi",
              "query",
              false,
              TSearchKind::kNormal,
              "",
              "<html><head><title>Archive search</title></head><body><pre>\n",
              "{{NAME}} {{VERSION}}  {{EXCERPT}}\n",
              "Nothing found.\n",
              "</pre></body></html>\n"};
  return s;
}

// ---------------------------------------------------------------- Byte Bazaar
// Multipart with a screenshot, country and state lists, a token and an image button; its search
// spells spaces as "_".
TDemoSite ByteBazaar() {
  TDemoSite s;
  s.host = "bytebazaar";
  s.name = "Byte Bazaar";
  s.language = "English";
  s.home_html = R"~(<html><head><title>Byte Bazaar</title></head><body><h1>Byte Bazaar</h1>
<p><a href="/sell/upload.php">Upload software</a></p></body></html>
)~";
  TDemoForm f;
  f.page = "/sell/upload.php";
  f.action = "/sell/upload.php";
  f.token_name = "csrf";
  f.token_value = "b7a1f09c33e2";
  f.html = R"~(<html><head><title>Upload software - Byte Bazaar</title></head><body>
<h1>Upload software</h1>
<form action="/sell/upload.php" method="post" enctype="multipart/form-data" name="frm">
<input type="hidden" name="csrf" value="b7a1f09c33e2">
<input type="hidden" name="MAX_FILE_SIZE" value="2000000">
<table>
<tr><td>Product</td><td><input type="text" name="product" size="40"></td></tr>
<tr><td>Release</td><td><input type="text" name="rel" size="8"></td></tr>
<tr><td>Release date</td><td><select name="rel_month"><option value="">Month</option><option value="1">Jan</option><option value="2">Feb</option><option value="3">Mar</option><option value="4">Apr</option><option value="5">May</option><option value="6">Jun</option><option value="7">Jul</option><option value="8">Aug</option><option value="9">Sep</option><option value="10">Oct</option><option value="11">Nov</option><option value="12">Dec</option></select>
<select name="rel_year"><option value="">Year</option><option>2023</option><option>2024</option><option>2025</option></select></td></tr>
<tr><td>Description</td><td><textarea name="descr" rows="5" cols="50"></textarea></td></tr>
<tr><td>Company</td><td><input type="text" name="company" size="40"></td></tr>
<tr><td>Country</td><td><select name="country"><option value="">--</option><option>United States</option><option>Canada</option><option>Germany</option><option>United Kingdom</option><option>Australia</option></select></td></tr>
<tr><td>State</td><td><select name="state"><option value="">--</option><option value="CA">California</option><option value="NY">New York</option><option value="OR">Oregon</option><option value="TX">Texas</option><option value="WA">Washington</option></select></td></tr>
<tr><td>Homepage</td><td><input type="text" name="home" size="40"></td></tr>
<tr><td>E-mail</td><td><input type="text" name="mail" size="40"></td></tr>
<tr><td>Screenshot</td><td><input type="file" name="screenshot"></td></tr>
</table>
<input type="image" src="/img/upload.png" name="go" alt="Upload">
</form></body></html>
)~";
  f.rules = {
      {"product", "Product", true, C::kText, 2, 50, R::kName},
      {"rel", "Release", true, C::kText, 1, 20, R::kVersion},
      {"rel_month", "Release month", false, C::kChoice, 0, 255, R::kNone, Numbers(1, 12)},
      {"rel_year", "Release year", false, C::kChoice, 0, 255, R::kNone, Numbers(2023, 2025)},
      {"descr", "Description", true, C::kText, 20, 2000, R::kLongDescription},
      {"company", "Company", false, C::kText, 0, 80},
      {"country",
       "Country",
       false,
       C::kChoice,
       0,
       255,
       R::kNone,
       {"United States", "Canada", "Germany", "United Kingdom", "Australia"}},
      {"state", "State", false, C::kChoice, 0, 255, R::kNone, {"CA", "NY", "OR", "TX", "WA"}},
      {"home", "Homepage", true, C::kUrl, 0, 255, R::kHomePage},
      {"mail", "E-mail", true, C::kEmail, 0, 100, R::kEmail},
      {"screenshot", "Screenshot", false, C::kImage}};
  s.forms.push_back(f);
  s.search = {"/search",
              "term",
              false,
              TSearchKind::kNormal,
              "_",
              "<html><head><title>Byte Bazaar search</title></head><body><h2>Products</h2>\n",
              "<div><a href=\"/p/{{ID}}\">{{NAME}} {{VERSION}}</a><br>{{EXCERPT}}</div>\n",
              "<p>No products found.</p>\n",
              "</body></html>\n"};
  s.success_html =
      R"~(<html><body><h2>Upload complete</h2><p>{{NAME}} (#{{ID}}) will be reviewed.</p></body></html>
)~";
  s.error_html = R"~(<html><body><h2>Upload failed</h2><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

// ---------------------------------------------------------------- ShareUp
// Selects for category, OS and licence; results link to the author's page.
TDemoSite ShareUp() {
  TDemoSite s;
  s.host = "shareup";
  s.name = "ShareUp";
  s.language = "English";
  s.home_html =
      R"~(<!DOCTYPE html><html><head><title>ShareUp - share your software</title></head><body>
<h1>ShareUp</h1><form method="post" action="/search"><input name="needle"><input type="submit" value="Search"></form>
<p><a href="/upload">Upload a program</a></p></body></html>
)~";
  TDemoForm f;
  f.page = "/upload";
  f.action = "/upload";
  f.html = R"~(<!DOCTYPE html><html><head><title>Upload - ShareUp</title></head><body>
<h1>Upload a program</h1>
<form method="post" action="/upload" enctype="multipart/form-data">
<p><label>Name <input type="text" name="name" maxlength="45"></label></p>
<p><label>Version <input type="text" name="version" maxlength="12"></label></p>
<p><label>Category <select name="cat"><option value="">choose</option><option>Business</option><option>Desktop</option><option>Development</option><option>Education</option><option>Games</option><option>Graphics</option><option>Internet</option><option>Multimedia</option><option>Security</option><option>Utilities</option></select></label></p>
<p><label>Operating system <select name="os"><option value="">choose</option><option value="Win11">Windows 11</option><option value="Win10">Windows 10</option><option value="Win7">Windows 7</option><option value="WinXP">Windows XP</option><option value="Linux">Linux</option><option value="MacOS">macOS</option><option value="Java">Java</option></select></label></p>
<p><label>Licence <select name="licence"><option value="">choose</option><option>Freeware</option><option>Shareware</option><option>Demo</option><option>Commercial</option><option>Open Source</option></select></label></p>
<p><label>Description <textarea name="desc" rows="4" cols="60" maxlength="450"></textarea></label></p>
<p><label>Author page <input type="text" name="author_url"></label></p>
<p><label>E-mail <input type="text" name="author_email"></label></p>
<p><label>Icon <input type="file" name="icon"></label></p>
<p><input type="submit" value="Upload"></p>
</form></body></html>
)~";
  f.rules = {{"name", "Name", true, C::kText, 2, 45, R::kName},
             {"version", "Version", true, C::kText, 1, 12, R::kVersion},
             {"cat", "Category", true, C::kChoice, 0, 255, R::kNone, kCategories},
             {"os", "Operating system", false, C::kChoice, 0, 255, R::kNone, kOses},
             {"licence", "Licence", false, C::kChoice, 0, 255, R::kNone, kLicences},
             {"desc", "Description", true, C::kText, 20, 450, R::kLongDescription},
             {"author_url", "Author page", true, C::kUrl, 0, 255, R::kHomePage},
             {"author_email", "E-mail", true, C::kEmail, 0, 100, R::kEmail},
             {"icon", "Icon", false, C::kImage}};
  s.forms.push_back(f);
  s.search = {"/search",
              "needle",
              true,
              TSearchKind::kNormal,
              "",
              "<!DOCTYPE html><html><head><title>ShareUp search</title></head><body><h1>Search"
              "</h1>\n",
              "<p><b>{{NAME}}</b> {{VERSION}} &ndash; {{EXCERPT}} <a href=\"{{HOME}}\">Visit the "
              "author</a></p>\n",
              "<p>No programs found.</p>\n",
              "</body></html>\n"};
  s.success_html =
      R"~(<!DOCTYPE html><html><body><h1>Uploaded</h1><p>{{NAME}} is online soon (#{{ID}}).</p></body></html>
)~";
  s.error_html = R"~(<!DOCTYPE html><html><body><h1>Please check your upload</h1><ul>
{{ERRORS}}</ul></body></html>
)~";
  return s;
}

}  // namespace

const std::vector<TDemoSite>& DemoSites() {
  static const std::vector<TDemoSite> sites = {FreshDownloads(), SoftArchive(),     SharewareHub(),
                                               DownloadZone(),   Programmdateien(), AppCenter(),
                                               ToolFinder(),     FileGalaxy(),      PadDepot(),
                                               MailSubmit(),     ByteBazaar(),      ShareUp()};
  return sites;
}

}  // namespace quillora
