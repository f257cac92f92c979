#include "demo-sites/sample_company_site.h"

#include <httplib.h>

#include "demo-sites/demo_images.h"

namespace quillora {

namespace {

const char* kHtml = "text/html; charset=utf-8";

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
         "</title>\n<link rel=\"alternate\" type=\"application/rss+xml\" "
         "href=\"/sample-notes/news.rss\">\n</head>\n<body>\n<div id=\"top\"><a href=\"/\">Sample "
         "Company</a> | <a href=\"/sample-notes/\">Sample Notes</a> | <a "
         "href=\"/sample-notes/buy.html\">Buy</a> | <a "
         "href=\"/sample-notes/download/samplenotes241.exe\">Download</a></div>\n" +
         body +
         "\n<p><small>&copy; 2024 Sample Company, 42 Harbour Street, Portland, Oregon. "
         "<a href=\"mailto:info@sample-company.localhost\">info@sample-company.localhost"
         "</a></small></p>\n</body>\n</html>\n";
}

const std::string& Download() {
  // Looks like a Windows program to anything that checks the first bytes; the rest is filler.
  static const std::string bytes = [] {
    std::string b(kSampleDownloadSize, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    for (size_t i = 64; i < b.size(); i += 4096) b[i] = static_cast<char>(i / 4096 % 251);
    return b;
  }();
  return bytes;
}

const std::string kOrderPage =
    Page("Buy Sample Notes 2.4.1",
         "<h1>Buy Sample Notes</h1>\n<table border=\"1\" cellpadding=\"4\">\n<tr><th>Licence</th>"
         "<th>Price</th><th></th></tr>\n<tr><td>Sample Notes 2.4.1, single user</td><td>$29.95 "
         "(EUR 27.95)</td><td><a href=\"http://store.localhost:8765/shareit/order?product=300555\">"
         "Buy now</a></td></tr>\n<tr><td>Sample Notes, 5 users</td><td>$119.00</td><td><a "
         "href=\"http://store.localhost:8765/regnow/order?item=10427-1\">Buy now</a></td></tr>\n"
         "</table>\n<p>Every licence includes free updates for the 2.x versions.</p>");

}  // namespace

const std::string& SamplePadXml() {
  static const std::string xml = R"(<?xml version="1.0" encoding="UTF-8" ?>
<XML_DIZ_INFO>
  <MASTER_PAD_VERSION_INFO>
    <MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION>
    <MASTER_PAD_EDITOR>Quillora</MASTER_PAD_EDITOR>
    <MASTER_PAD_INFO>Portable Application Description, or PAD for short, is a data set that is used by shareware authors to disseminate information to anyone interested in their software products. To find out more go to http://pad.asp-software.org</MASTER_PAD_INFO>
  </MASTER_PAD_VERSION_INFO>
  <Company_Info>
    <Company_Name>Sample Company</Company_Name>
    <Address_1>42 Harbour Street</Address_1>
    <Address_2>Suite 7</Address_2>
    <City_Town>Portland</City_Town>
    <State_Province>Oregon</State_Province>
    <Zip_Postal_Code>97201</Zip_Postal_Code>
    <Country>United States</Country>
    <Company_WebSite_URL>http://sample-company.localhost:8765/</Company_WebSite_URL>
    <Contact_Info>
      <Author_First_Name>Emma</Author_First_Name>
      <Author_Last_Name>Larsen</Author_Last_Name>
      <Author_Email>emma.larsen@sample-company.localhost</Author_Email>
      <Contact_First_Name>Emma</Contact_First_Name>
      <Contact_Last_Name>Larsen</Contact_Last_Name>
      <Contact_Email>emma.larsen@sample-company.localhost</Contact_Email>
    </Contact_Info>
    <Support_Info>
      <Sales_Email>sales@sample-company.localhost</Sales_Email>
      <Support_Email>support@sample-company.localhost</Support_Email>
      <General_Email>info@sample-company.localhost</General_Email>
      <Sales_Phone>+1 (503) 555-0142</Sales_Phone>
      <Support_Phone>+1 (503) 555-0143</Support_Phone>
      <General_Phone>+1 (503) 555-0140</General_Phone>
      <Fax_Phone>+1 (503) 555-0149</Fax_Phone>
    </Support_Info>
  </Company_Info>
  <Program_Info>
    <Program_Name>Sample Notes</Program_Name>
    <Program_Version>2.4.1</Program_Version>
    <Program_Release_Month>03</Program_Release_Month>
    <Program_Release_Day>14</Program_Release_Day>
    <Program_Release_Year>2024</Program_Release_Year>
    <Program_Cost_Dollars>29.95</Program_Cost_Dollars>
    <Program_Cost_Other_Code>EUR</Program_Cost_Other_Code>
    <Program_Cost_Other>27.95</Program_Cost_Other>
    <Program_Type>Shareware</Program_Type>
    <Program_Release_Status>Major Update</Program_Release_Status>
    <Program_Install_Support>Install and Uninstall</Program_Install_Support>
    <Program_OS_Support>Win98,WinXP,Windows2000,Windows2003,Linux,Linux Gnome,Mac OS X,Java</Program_OS_Support>
    <Program_Language>English,German,French</Program_Language>
    <Program_Change_Info>Tag filters, a search up to five times faster, a dark theme and portable mode.</Program_Change_Info>
    <Program_Specific_Category>Business</Program_Specific_Category>
    <Program_Category_Class>Business::PIMS &amp; Calendars</Program_Category_Class>
    <Program_System_Requirements>256 MB RAM, 20 MB free disk space</Program_System_Requirements>
    <File_Info>
      <Filename_Versioned>samplenotes241.exe</Filename_Versioned>
      <Filename_Previous>samplenotes240.exe</Filename_Previous>
      <Filename_Generic>samplenotes.exe</Filename_Generic>
      <Filename_Long>SampleNotes-2.4.1-setup.exe</Filename_Long>
      <File_Size_Bytes>4718592</File_Size_Bytes>
      <File_Size_K>4608</File_Size_K>
      <File_Size_MB>4.5</File_Size_MB>
    </File_Info>
    <Expire_Info>
      <Has_Expire_Info>Y</Has_Expire_Info>
      <Expire_Count>30</Expire_Count>
      <Expire_Based_On>Days</Expire_Based_On>
      <Expire_Other_Info>Every feature works during the trial.</Expire_Other_Info>
      <Expire_Month>12</Expire_Month>
      <Expire_Day>31</Expire_Day>
      <Expire_Year>2025</Expire_Year>
    </Expire_Info>
  </Program_Info>
  <Program_Descriptions>
    <English>
      <Keywords>notes,notebook,organizer,outliner,to-do list,tags,reminders,journal</Keywords>
      <Char_Desc_45>Fast, searchable notes with tags and to-dos</Char_Desc_45>
      <Char_Desc_80>Keep notes, outlines and to-do lists in one fast notebook with tags and search</Char_Desc_80>
      <Char_Desc_250>Sample Notes keeps notes, outlines and to-do lists in one fast, searchable notebook. Tag your notes, find them as you type, set reminders for tasks and export everything to HTML, text or PDF. Your notes stay on your computer.</Char_Desc_250>
      <Char_Desc_450>Sample Notes keeps everything you need to remember in one fast, searchable notebook. Write notes in plain text or with simple formatting, group them in notebooks and add tags. The instant search looks through titles, text and tags as you type. Turn any line into a to-do item with a due date and a reminder, fold outlines, and export notebooks to HTML, text or PDF. Notes stay on your own computer in an open file format.</Char_Desc_450>
      <Char_Desc_2000>Sample Notes keeps everything you need to remember in one fast, searchable notebook.

Write notes in plain text or with simple formatting, group them in notebooks, and add tags to find them again in a second. The instant search looks through titles, text and tags as you type, and saved searches keep your most useful views one click away.

Turn any line into a to-do item with a due date and a reminder. The Today view gathers every open task and every note you touched this week. Outlines can be folded and unfolded, and items can be moved by drag and drop.

Your notes stay on your own computer in an open file format. Sample Notes can export them to HTML, plain text and PDF, import notes from other programs, and keep a daily backup of every notebook.

New in version 2.4: tag filters, a search that is up to five times faster, a dark theme and portable mode.</Char_Desc_2000>
    </English>
  </Program_Descriptions>
  <Web_Info>
    <Application_URLs>
      <Application_Info_URL>http://sample-company.localhost:8765/sample-notes/</Application_Info_URL>
      <Application_Order_URL>http://sample-company.localhost:8765/sample-notes/buy.html</Application_Order_URL>
      <Application_Screenshot_URL>http://sample-company.localhost:8765/sample-notes/screenshot.png</Application_Screenshot_URL>
      <Application_Icon_URL>http://sample-company.localhost:8765/sample-notes/icon.png</Application_Icon_URL>
      <Application_XML_File_URL>http://sample-company.localhost:8765/sample-notes/sample-notes.xml</Application_XML_File_URL>
    </Application_URLs>
    <Download_URLs>
      <Primary_Download_URL>http://sample-company.localhost:8765/sample-notes/download/samplenotes241.exe</Primary_Download_URL>
      <Secondary_Download_URL>http://mirror.sample-company.localhost:8765/sample-notes/samplenotes241.exe</Secondary_Download_URL>
      <Additional_Download_URL_1>http://sample-company.localhost:8765/sample-notes/download/samplenotes241.zip</Additional_Download_URL_1>
      <Additional_Download_URL_2>http://sample-company.localhost:8765/sample-notes/download/samplenotes-2.4.1.tar.gz</Additional_Download_URL_2>
    </Download_URLs>
  </Web_Info>
  <Permissions>
    <Distribution_Permissions>Download sites and magazine cover discs may distribute the unchanged installation file free of charge.</Distribution_Permissions>
    <EULA>Sample Notes is shareware. You may try it for 30 days; after that please buy a licence or remove it.
The software is provided "as is", without warranty of any kind.</EULA>
  </Permissions>
  <ASP>
    <ASP_FORM>Y</ASP_FORM>
    <ASP_Member>Y</ASP_Member>
    <ASP_Member_Number>10427</ASP_Member_Number>
  </ASP>
</XML_DIZ_INFO>
)";
  return xml;
}

bool ServeSampleCompany(const std::string& host_label, const std::string& method,
                        const std::string& path, httplib::Response& res) {
  if (host_label != "sample-company" && host_label != "mirror.sample-company" &&
      host_label != "store")
    return false;
  if (method != "GET" && method != "HEAD") {
    res.status = 405;
    return true;
  }
  const auto binary = [&](const std::string& bytes, const char* type) {
    res.set_content(bytes, type);
  };
  if (host_label == "mirror.sample-company") {
    if (path == "/sample-notes/samplenotes241.exe")
      binary(Download(), "application/octet-stream");
    else
      res.status = 404;
    return true;
  }
  if (host_label == "store") {
    if (path == "/shareit/order" || path == "/regnow/order" || path == "/paypro/order")
      res.set_content(Page("Order Sample Notes - secure checkout",
                           "<h1>Checkout</h1><p>Sample Notes 2.4.1 (single user): <b>$29.95</b>"
                           "</p><form method=\"post\" action=\"#\"><p>This is a demo store: "
                           "nothing is sold here.</p></form>"),
                      kHtml);
    else
      res.status = 404;
    return true;
  }
  if (path == "/" || path == "/index.html") {
    res.set_content(
        Page("Sample Company - Sample Notes, the fast notebook for notes and to-dos",
             "<h1>Sample Company</h1>\n<p>We make <a href=\"/sample-notes/\">Sample Notes</a>, the "
             "fast notebook for notes, outlines and to-do lists.</p>\n<p><a "
             "href=\"/sample-notes/news.html\">Sample Notes 2.4 finds your notes five times "
             "faster</a></p>"),
        kHtml);
  } else if (path == "/sample-notes/" || path == "/sample-notes/index.html") {
    res.set_content(
        Page("Sample Notes 2.4.1 - fast, searchable notes with tags and to-dos",
             "<h1>Sample Notes 2.4.1</h1>\n<p><img src=\"icon.png\" width=\"32\" height=\"32\" "
             "alt=\"\"> Keep notes, outlines and to-do lists in one fast notebook with tags and "
             "search.</p>\n<p><img src=\"screenshot.png\" width=\"640\" height=\"400\" "
             "alt=\"Sample Notes screenshot\"></p>\n<ul><li><a "
             "href=\"download/samplenotes241.exe\">Download Sample Notes 2.4.1</a> (4.5 MB, "
             "Windows)</li><li><a href=\"buy.html\">Buy Sample Notes</a> ($29.95)</li><li><a "
             "href=\"sample-notes.xml\">PAD file</a></li></ul>"),
        kHtml);
  } else if (path == "/sample-notes/buy.html") {
    res.set_content(kOrderPage, kHtml);
  } else if (path == "/sample-notes/icon.png") {
    binary(EncodePng(SampleIcon(32)), "image/png");
  } else if (path == "/sample-notes/icon16.png") {
    binary(EncodePng(SampleIcon(16)), "image/png");
  } else if (path == "/sample-notes/icon.bmp") {
    binary(EncodeBmp(SampleIcon(32)), "image/bmp");
  } else if (path == "/sample-notes/icon16.bmp") {
    binary(EncodeBmp(SampleIcon(16)), "image/bmp");
  } else if (path == "/sample-notes/screenshot.png") {
    binary(EncodePng(SampleScreenshot()), "image/png");
  } else if (path == "/sample-notes/screenshot.jpg") {
    binary(EncodeJpeg(SampleScreenshot()), "image/jpeg");
  } else if (path == "/sample-notes/download/samplenotes241.exe" ||
             path == "/sample-notes/download/samplenotes241.zip" ||
             path == "/sample-notes/download/samplenotes-2.4.1.tar.gz") {
    binary(Download(), "application/octet-stream");
  } else if (path == "/sample-notes/sample-notes.xml") {
    binary(SamplePadXml(), "application/xml");
  } else if (path == "/sample-notes/news.rss") {
    binary(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>"
        "Sample Notes news</title><link>http://sample-company.localhost:8765/sample-notes/"
        "</link><description>Releases and tips for Sample Notes, the fast notebook"
        "</description><item><title>Sample Notes 2.4.1</title><link>"
        "http://sample-company.localhost:8765/sample-notes/news.html</link></item></channel>"
        "</rss>\n",
        "application/rss+xml");
  } else if (path.rfind("/sample-notes/", 0) == 0 || path.rfind("/social/", 0) == 0 ||
             path == "/awards.html" || path == "/affiliates.html" || path == "/store/") {
    // The record's other pages (news, review, videos, social pages, awards): one plain page each.
    if (path.find("..") != std::string::npos || (path.back() == '/' && path != "/store/")) {
      res.status = 404;
      return true;
    }
    res.set_content(Page("Sample Notes - " + path.substr(path.rfind('/') + 1),
                         "<h1>Sample Notes</h1><p>More about Sample Notes 2.4.1.</p>"),
                    kHtml);
  } else {
    res.status = 404;
    res.set_content(Page("Not found - Sample Company", "<h1>Page not found</h1>"), kHtml);
  }
  return true;
}

}  // namespace quillora
