#include "cli/export.h"

#include "files/fields.h"
#include "files/numtext.h"

#include <nlohmann/json.hpp>

#include <map>

namespace kelva::cli {

namespace {

std::string num(double v) { return text::bare(v); }

// A CSV cell: quoted when it holds a comma, a quote or a line break.
std::string cell(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += (c == '"') ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string modeOf(const ResultBlock& b) { return b.mode.value_or(b.hasKdSection ? "Soil" : "Water"); }

const char* kFractionNames[6] = {"solution", "ha_ddl", "fa_ddl", "ha", "fa", "clay"};

} // namespace

std::vector<ResultBlock> readAllBlocks(const std::string& resultText, const std::string& name) {
    std::vector<ResultBlock> blocks;
    FieldReader reader(resultText, name);
    while (!reader.atEnd()) {
        ResultBlock b;
        const bool complete = readBlock(reader, false, b);
        if (b.probno == 0 && !complete) break;
        blocks.push_back(std::move(b));
        if (!complete) break;
    }
    return blocks;
}

std::string resultsCsv(const std::vector<ResultBlock>& blocks) {
    std::string out = "problem,mode,pH,converged,section,number,name,conc_mol_l,activity,frac_solution,"
                      "frac_ha_ddl,frac_fa_ddl,frac_ha,frac_fa,frac_clay,aqconc_mol_l,kd_l_kg,kdapp_l_kg\r\n";
    for (const auto& b : blocks) {
        const std::string head = std::to_string(b.probno) + "," + modeOf(b) + "," + num(b.pH) + "," +
                                 (b.iterError ? "false" : "true") + ",";
        for (const auto& s : b.species)
            out += head + "species," + std::to_string(s.index) + "," + cell(s.name) + "," + num(s.conc) + "," +
                   num(s.act) + ",,,,,,,,,\r\n";
        std::map<int, const TotalsRow*> totals;
        for (const auto& t : b.totals) totals[t.index] = &t;
        for (const auto& m : b.master) {
            out += head + "component," + std::to_string(m.index) + "," + cell(m.name) + ",,";
            for (double f : m.fr) out += "," + num(f);
            const auto t = totals.find(m.index);
            if (t != totals.end())
                out += "," + num(t->second->aqconc) + "," + num(t->second->kd) + "," + num(t->second->kdapp);
            else
                out += ",,,";
            out += "\r\n";
        }
    }
    return out;
}

std::string resultsJson(const std::vector<ResultBlock>& blocks,
                        const std::vector<std::vector<std::string>>& failing) {
    using nlohmann::json;
    json problems = json::array();
    for (const auto& b : blocks) {
        json p;
        p["problem"] = b.probno;
        p["converged"] = !b.iterError;
        const auto at = static_cast<std::size_t>(b.probno);
        p["failing_tests"] = b.probno > 0 && at < failing.size() ? json(failing[at]) : json::array();
        p["complete"] = b.complete;
        p["iterations"] = b.iterations;
        p["mode"] = modeOf(b);
        p["pH"] = b.pH;
        p["ionic_strength_mol_l"] = b.ionic;
        p["charge_ratio"] = b.chargeRatio;
        p["charge_difference_molc_l"] = b.chargeDiff;
        p["dissolved_fa_g_l"] = {{"value", b.faaq},
                                 {"kind", b.faaqKind == FaaqKind::Calc    ? "calculated"
                                          : b.faaqKind == FaaqKind::Fixed ? "fixed"
                                                                          : "missing"}};
        p["zed_molc_g"] = {{"ha", b.zedHA}, {"fa", b.zedFA}};
        p["ratio"] = {{"ha", b.ratioHA}, {"fa", b.ratioFA}, {"clay", b.ratioClay}};
        p["water_fraction"] = {
            {"ha_ddl", b.fracHADDL}, {"fa_ddl", b.fracFADDL}, {"clay_ddl", b.fracClayDDL}, {"solution", b.fracSol}};
        auto ppt = [](const PptLine& l) {
            json j = {{"precipitating", l.flag == "Yes"}, {"mol_l", l.amount}};
            if (l.hasPercent) j["percent_of_total"] = l.percent;
            return j;
        };
        p["fe_oh3"] = ppt(b.fe);
        p["al_oh3"] = ppt(b.al);
        p["al_oh3_saturation_index"] = b.satIndex;
        std::map<int, const TotalsRow*> totals;
        for (const auto& t : b.totals) totals[t.index] = &t;
        json comps = json::array();
        for (const auto& m : b.master) {
            json c = {{"number", m.index}, {"name", m.name}};
            for (int i = 0; i < 6; ++i) c["fraction"][kFractionNames[i]] = m.fr[static_cast<std::size_t>(i)];
            const auto t = totals.find(m.index);
            if (t != totals.end()) {
                c["aqconc_mol_l"] = t->second->aqconc;
                c["kd_l_kg"] = t->second->kd;
                c["kdapp_l_kg"] = t->second->kdapp;
            }
            comps.push_back(c);
        }
        p["components"] = comps;
        json species = json::array();
        for (const auto& s : b.species)
            species.push_back({{"number", s.index}, {"name", s.name}, {"conc_mol_l", s.conc}, {"activity", s.act}});
        p["species"] = species;
        problems.push_back(p);
    }
    return json{{"problems", problems}}.dump(2) + "\n";
}

} // namespace kelva::cli
