#include "outputs/html_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "models/catalogue.h"
#include "models/weighting.h"
#include "pictures/plot.h"
#include "textio/text_utils.h"

namespace quillon::outputs {
namespace {

// Names are file names, which may hold any bytes: only XML characters reach the page.
std::string escaped(std::string_view text) {
  return textio::markup_escaped(text, false);
}

// A relative link to an output: every byte outside the unreserved set percent-encoded.
std::string href(std::string_view name) {
  std::string out;
  for (const char ch : name) {
    const auto u = static_cast<unsigned char>(ch);
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || ch == '-' ||
        ch == '_' || ch == '.' || ch == '~') {
      out += ch;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      out += hex;
    }
  }
  return out;
}

std::string number(double v) {
  if (!std::isfinite(v))
    return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

std::string number(const std::optional<double>& v, const char* absent = "") {
  return v ? number(*v) : std::string(absent);
}

// A picture for inlining: without its XML declaration, and with its ids prefixed so
// that the page's ids stay unique.
std::string inline_svg(std::string svg, const std::string& prefix) {
  if (svg.starts_with("<?xml"))
    svg.erase(0, svg.find('\n') + 1);
  for (const std::string_view key : {"id=\"", "url(#"}) {
    for (std::size_t at = svg.find(key); at != std::string::npos;
         at = svg.find(key, at + key.size() + prefix.size()))
      svg.insert(at + key.size(), prefix);
  }
  return svg;
}

constexpr const char* style = R"(
body { font-family: Helvetica, Arial, sans-serif; margin: 1.5em auto; max-width: 1200px;
       padding: 0 1em; color: #000; }
table { border-collapse: collapse; margin: 0.5em 0; font-size: 0.9em; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.rejected td { background: #f6f6f6; }
section.fit { border-top: 2px solid #444; margin-top: 1.5em; padding-top: 0.5em; }
.pair { display: block; }
.plot svg, .plot img { width: 100%; height: auto; }
.stats { margin-top: 0.5em; }
p.note { font-size: 0.85em; }
@media print {
  body { max-width: none; margin: 0; }
  section.fit { break-inside: avoid; page-break-inside: avoid; }
  a { color: #000; }
}
)";

// The picture of this kind inline while the record holds it, else as an image
// of the written file; nothing when it was not written.
std::string picture(const FileRecord& record, Output kind, const std::string& prefix) {
  const Rendered* svg = record.output(kind);
  if (svg == nullptr || !svg->written)
    return {};
  if (!svg->text.empty())
    return inline_svg(svg->text, prefix);
  return "<img src=\"" + href(output_name(kind, record.stem)) + "\" alt=\"" +
         escaped(record.shown) + "\" loading=\"lazy\">";
}

// A link to a written output, else nothing.
std::string link(const FileRecord& record, Output kind, const char* text) {
  const Rendered* r = record.output(kind);
  if (r == nullptr || !r->written)
    return {};
  return "<a href=\"" + href(output_name(kind, record.stem)) + "\">" + text + "</a>";
}

}  // namespace

std::string index_html(const std::vector<FileRecord>& records, bool compare,
                       const GlobalPage* global) {
  std::string page;
  const auto add = [&page](const std::string& text) { page += text + "\n"; };
  std::size_t fitted = 0;
  std::size_t rejected = 0;
  for (const FileRecord& record : records) {
    if (record.done)
      (record.fit.fitted ? fitted : rejected) += 1;
  }
  add("<!DOCTYPE html>");
  add("<html lang=\"en\">");
  add("<head>");
  add("<meta charset=\"utf-8\">");
  add("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
  add("<title>Fit results</title>");
  add("<style>" + std::string(style) + "</style>");
  add("</head>");
  add("<body>");
  add("<h1>Fit results</h1>");
  add("<p>" + std::to_string(fitted + rejected) + " files: " + std::to_string(fitted) +
      " fitted, " + std::to_string(rejected) + " rejected.</p>");

  add("<table class=\"summary\">");
  add("<thead><tr><th>File</th><th>Status</th><th>Model</th><th>n</th><th>SSQ</th>"
      "<th>AICc</th><th>Parameters</th><th>Notes</th></tr></thead>");
  add("<tbody>");
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (!records[i].done)
      continue;
    const FileRecord& record = records[i];
    const file_analysis::FileFit& r = record.fit;
    const std::string anchor = "file-" + std::to_string(i + 1);
    std::string row = r.fitted ? "<tr class=\"fitted\">" : "<tr class=\"rejected\">";
    row += "<td>" +
           (r.fitted ? "<a href=\"#" + anchor + "\">" + escaped(record.shown) + "</a>"
                     : escaped(record.shown)) +
           "</td>";
    row += std::string("<td>") + (r.fitted ? "fitted" : "rejected") + "</td>";
    row += "<td>" + escaped(r.model_name) + "</td>";
    row += "<td class=\"num\">" + (r.model != 0 ? std::to_string(r.n) : "") + "</td>";
    row += "<td class=\"num\">" + (r.fitted ? number(r.ssq) : "") + "</td>";
    row += "<td class=\"num\">" + (r.criteria ? number(r.criteria->aicc) : "") + "</td>";
    std::string parameters;
    for (std::size_t k = 0; r.fitted && k < r.best.size(); ++k) {
      parameters += (k == 0 ? "" : ", ") + r.names[k] + " = " + number(r.best[k]);
    }
    row += "<td>" + escaped(parameters) + "</td>";
    std::string notes = r.fitted ? std::string() : r.message;
    for (const auto* list : {&r.data_warnings, &r.warnings}) {
      for (const std::string& note : *list)
        notes += (notes.empty() ? "" : "; ") + note;
    }
    row += "<td>" + escaped(notes) + "</td></tr>";
    add(row);
  }
  add("</tbody>");
  add("</table>");

  if (global != nullptr) {
    add("<section class=\"fit\" id=\"global\">");
    add("<h2>Global fit</h2>");
    if (!global->message.empty()) {
      add("<p>" + escaped(global->message) + "</p>");
    } else {
      add("<div class=\"plot\">" + inline_svg(global->picture, "global-") + "</div>");
      add("<p>" + escaped(global->test) + "</p>");
      add("<pre>" + escaped(global->stats) + "</pre>");
      std::string links;
      for (const auto& [kind, text] : {std::pair{Output::global_report, "report"},
                                       {Output::global_parameters, "parameters"},
                                       {Output::global_test, "test"}}) {
        if (std::find(global->written.begin(), global->written.end(), kind) ==
            global->written.end())
          continue;
        links.append(links.empty() ? "" : " &middot; ")
            .append("<a href=\"")
            .append(href(output_name(kind)))
            .append("\">")
            .append(text)
            .append("</a>");
      }
      if (!links.empty())
        add("<p>" + links + "</p>");
    }
    add("</section>");
  }

  for (std::size_t i = 0; i < records.size(); ++i) {
    const FileRecord& record = records[i];
    const file_analysis::FileFit& r = record.fit;
    if (!record.done || !r.fitted)
      continue;
    const std::string id = "file-" + std::to_string(i + 1);
    add("<section class=\"fit\" id=\"" + id + "\">");
    add("<h2>" + escaped(record.shown) + "</h2>");
    add("<div class=\"pair\">");
    const std::string svg = picture(record, Output::picture, id + "-");
    add("<div class=\"plot\">" + (svg.empty() ? std::string("<p>no plot</p>") : svg) + "</div>");
    const std::string diagnostic = picture(record, Output::diagnostic_picture, id + "-d-");
    if (!diagnostic.empty())
      add("<div class=\"plot\">" + diagnostic + "</div>");
    add("<div class=\"stats\">");
    add("<table><thead><tr><th>Parameter</th><th>Best</th><th>SE</th><th>Wald 95 %</th>"
        "<th>Profile 95 %</th><th>Sampling CV %</th></tr></thead><tbody>");
    for (std::size_t k = 0; k < r.best.size(); ++k) {
      std::string row = "<tr><td>" + escaped(r.names[k]) + "</td>";
      const analysis::ParameterStats* p =
          r.standard && k < r.standard->parameters.size() ? &r.standard->parameters[k] : nullptr;
      row += "<td class=\"num\">" +
             number(r.standard && r.standard->available ? r.standard->best[k] : r.best[k]) +
             "</td>";
      const char* not_determined = p && p->fixed ? "fixed" : "n.d.";
      const char* open = p && p->fixed ? "fixed" : "open";
      row += "<td class=\"num\">" + (p ? number(p->se, not_determined) : "") + "</td>";
      row += "<td class=\"num\">" +
             (p && p->se ? number(p->wald_lo) + " to " + number(p->wald_hi) : "") + "</td>";
      row += "<td class=\"num\">" +
             (p ? number(p->profile_lo, open) + " to " + number(p->profile_hi, open) : "") +
             "</td>";
      row += "<td class=\"num\">" +
             (k < r.uncertainty.size() ? number(r.uncertainty[k].cv) : std::string()) +
             "</td></tr>";
      add(row);
    }
    add("</tbody></table>");
    // As the plot's caption gives it: an interval far from the Wald one replaces the error.
    for (std::size_t k = 0; r.standard && k < r.names.size(); ++k) {
      if (const auto profile = pictures::profile_instead(*r.standard, k)) {
        const std::string unit =
            models::parameter_unit(r.model, static_cast<int>(k), r.units.x1, r.units.x2, r.units.y);
        add("<p class=\"note\">" + escaped(r.names[k]) + " = " + number(r.standard->best[k]) +
            (unit.empty() ? "" : " " + escaped(unit)) + ", " + escaped(*profile) +
            " (read it, not the standard error).</p>");
      }
    }
    if (r.standard && r.standard->available) {
      add("<p class=\"note\">n = " + std::to_string(r.n) +
          ", df = " + std::to_string(r.standard->df) + ", s = " + number(r.standard->sigma) +
          (r.standard->runs ? ", runs test p = " + number(r.standard->runs->p) : "") +
          (r.replicates && r.replicates->p ? ", lack-of-fit p = " + number(*r.replicates->p) : "") +
          (r.weighting == models::Weighting::none
               ? std::string()
               : ", weighted " + escaped(std::string(models::weighting_name(r.weighting)))) +
          "</p>");
    }
    for (const auto* list : {&r.data_warnings, &r.warnings}) {
      for (const std::string& note : *list)
        add("<p class=\"note\">" + escaped(note) + "</p>");
    }
    const std::string report = link(record, Output::report, "report");
    const std::string stats = link(record, Output::stats, "statistics");
    if (!report.empty() || !stats.empty())
      add("<p>" + report + (report.empty() || stats.empty() ? "" : " &middot; ") + stats + "</p>");
    add("</div>");
    add("</div>");
    if (compare && r.comparison) {
      add("<div class=\"compare\">");
      add("<h3>Model comparison</h3>");
      add("<table><thead><tr><th>Rank</th><th>Model</th><th>np</th><th>SSQ</th><th>AICc</th>"
          "<th>&Delta;AICc</th><th>Weight</th><th>F test p</th><th>Runs p</th></tr></thead>"
          "<tbody>");
      for (int rank = 0; rank <= static_cast<int>(r.comparison->candidates.size()); ++rank) {
        for (const file_analysis::Candidate& c : r.comparison->candidates) {
          if (c.rank != rank)
            continue;
          add("<tr><td class=\"num\">" + (rank > 0 ? std::to_string(rank) : "-") + "</td><td>" +
              escaped(models::short_name(c.model)) + "</td><td class=\"num\">" +
              std::to_string(c.np) + "</td><td class=\"num\">" + number(c.ssq()) +
              "</td><td class=\"num\">" + number(c.aicc) + "</td><td class=\"num\">" +
              number(c.delta) + "</td><td class=\"num\">" + number(c.weight) +
              "</td><td class=\"num\">" + number(c.f_p) + "</td><td class=\"num\">" +
              number(c.standard.runs ? std::optional(c.standard.runs->p) : std::nullopt) +
              "</td></tr>");
        }
      }
      add("</tbody></table>");
      add("<p>" + escaped(r.comparison->verdict) + ".</p>");
      for (const std::string& caution : r.comparison->cautions)
        add("<p class=\"note\">Caution: " + escaped(caution) + ".</p>");
      const std::string compare_svg = picture(record, Output::comparison_picture, id + "-c-");
      if (!compare_svg.empty())
        add("<div class=\"plot\">" + compare_svg + "</div>");
      const std::string text = link(record, Output::comparison_text, "comparison");
      if (!text.empty())
        add("<p>" + text + "</p>");
      add("</div>");
    }
    add("</section>");
  }
  add("</body>");
  add("</html>");
  return page;
}

}  // namespace quillon::outputs
