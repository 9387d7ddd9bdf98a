#include "DemoProject.h"

#include <string>

namespace znsim {

namespace {

// Argon2id of the demo password (opslimit 2, 8 MiB).
constexpr const char* kEngineerHash =
    "$argon2id$v=19$m=8192,t=2,p=1$mo5cq5UoXC+tSK5+YALoNw$"
    "n0gmt+CwFF41SlVA6bmHHoBl925HjpdFeWEcUvnAO0M";

class Builder {
 public:
  explicit Builder(Project& project) : p_(project) {}

  void Real(std::string name, std::string units, std::string comment, SimKind kind, double offset,
            double amplitude, double period, double phase = 0) {
    Add(std::move(name), TagType::Real, std::move(units), std::move(comment),
        {kind, offset, amplitude, period, phase, Seed()});
  }
  void Integer(std::string name, std::string units, std::string comment, SimKind kind,
               double offset, double amplitude, double period) {
    Add(std::move(name), TagType::Integer, std::move(units), std::move(comment),
        {kind, offset, amplitude, period, 0, Seed()});
  }
  // Square waves swing between 0 and 1; a constant holds `offset`.
  void Digital(std::string name, std::string comment, SimKind kind, double offset, double period,
               double phase = 0) {
    Add(std::move(name), TagType::Digital, "", std::move(comment),
        {kind, offset, kind == SimKind::Constant ? 0.0 : 1.0, period, phase, Seed()});
  }
  void Text(std::string name, std::string comment, std::vector<std::string> texts, double period) {
    const auto n = static_cast<double>(texts.size());
    Add(std::move(name), TagType::String, "", std::move(comment),
        {texts.size() > 1 ? SimKind::Ramp : SimKind::Constant, 0, n, period * n, 0, Seed()});
    p_.tags.back().texts = std::move(texts);
  }
  void Alarm(std::string_view tag, AlarmCondition condition, double limit, double deadband,
             std::string_view description, std::string_view setpoint = {}) {
    p_.alarms.emplace_back(p_.pool(), tag, condition, limit, deadband, setpoint, description);
  }
  void Trend(std::string name, std::string tag, double period, std::string comment) {
    p_.trends.push_back({std::move(name), std::move(tag), period, std::move(comment)});
  }

 private:
  void Add(std::string_view name, TagType type, std::string_view units, std::string_view comment,
           SimModel sim) {
    TagDef tag(p_.pool(), name, units, comment);
    tag.type = type;
    tag.sim = sim;
    p_.tags.push_back(std::move(tag));
  }
  std::uint32_t Seed() { return ++seed_ * 7919u; }

  Project& p_;
  std::uint32_t seed_ = 0;
};

void Intake(Builder& b) {
  b.Real("LIT101", "m", "Raw water intake well level", SimKind::Sine, 2.6, 1.3, 900);
  b.Real("FIT101", "m3/h", "Raw water inflow", SimKind::Random, 840, 140, 120);
  b.Real("TIT101", "degC", "Raw water temperature", SimKind::Sine, 11.5, 1.5, 7200);
  b.Real("AIT101", "NTU", "Raw water turbidity", SimKind::Random, 18, 9, 300);
  b.Real("AIT102", "pH", "Raw water pH", SimKind::Sine, 7.4, 0.3, 1800);
  b.Real("AIT103", "uS/cm", "Raw water conductivity", SimKind::Random, 420, 40, 600);
}

void Pumps(Builder& b) {
  struct Pump {
    const char* name;
    const char* duty;
    double period;
    double faultOffset;  // 1 keeps the fault on: the demo always has something to show
  };
  const Pump pumps[] = {{"P101", "Intake pump 1", 600, 0},     {"P102", "Intake pump 2", 900, 0},
                        {"P103", "Intake pump 3", 1200, 1},    {"P201", "High lift pump 1", 750, 0},
                        {"P202", "High lift pump 2", 1050, 0}, {"P301", "Backwash pump", 480, 0}};
  for (const auto& pump : pumps) {
    const std::string n = pump.name;
    const std::string d = pump.duty;
    b.Digital(n + "_Run", d + " running", SimKind::Square, 0, pump.period);
    b.Digital(n + "_Fault", d + " tripped", SimKind::Constant, pump.faultOffset, 60);
    b.Real(n + "_Speed", "%", d + " speed", SimKind::Random, 72, 18, 90);
    b.Real(n + "_Current", "A", d + " motor current", SimKind::Random, 46, 8, 60);
    b.Real(n + "_Bearing", "degC", d + " bearing temperature", SimKind::Sine, 58, 9, 1500);
    b.Integer(n + "_Starts", "", d + " starts today", SimKind::Ramp, 0, 24, 86400);
    b.Text(n + "_Mode", d + " control mode", {"AUTO", "AUTO", "AUTO", "MANUAL"}, 300);
  }
}

void Clarifiers(Builder& b) {
  for (int i = 1; i <= 2; ++i) {
    const std::string n = "CL" + std::to_string(i);
    const std::string d = "Clarifier " + std::to_string(i);
    b.Real(n + "_Turb", "NTU", d + " outlet turbidity", SimKind::Random, 1.8, 1.4, 240);
    b.Real(n + "_Level", "m", d + " level", SimKind::Sine, 3.9, 0.15, 600, 0.1 * i);
    b.Real(n + "_Blanket", "m", d + " sludge blanket depth", SimKind::Ramp, 0.8, 0.9, 3600);
    b.Digital(n + "_SludgePump", d + " sludge pump running", SimKind::Square, 0, 400, 0.3 * i);
    b.Integer(n + "_Drive", "%", d + " scraper drive load", SimKind::Random, 35, 10, 120);
  }
}

void Filters(Builder& b) {
  for (int i = 1; i <= 6; ++i) {
    const std::string n = "F" + std::to_string(i);
    const std::string d = "Filter " + std::to_string(i);
    const double phase = i / 6.0;
    b.Real(n + "_HeadLoss", "kPa", d + " head loss", SimKind::Ramp, 8, 30, 1800, phase);
    b.Real(n + "_Level", "m", d + " water level", SimKind::Sine, 1.6, 0.2, 420, phase);
    b.Real(n + "_Flow", "m3/h", d + " outlet flow", SimKind::Random, 140, 20, 120);
    b.Real(n + "_Turb", "NTU", d + " outlet turbidity", SimKind::Random, 0.12, 0.08, 200);
    b.Digital(n + "_Backwash", d + " backwashing", SimKind::Square, 0, 1800, phase + 0.45);
    b.Integer(n + "_RunHours", "h", d + " hours since backwash", SimKind::Ramp, 0, 30, 1800);
    b.Text(n + "_State", d + " sequence state",
           {"FILTERING", "FILTERING", "DRAINING", "BACKWASH", "RINSE", "FILTERING"}, 300);
  }
}

void Chemicals(Builder& b) {
  b.Real("CL_Dose", "mg/l", "Chlorine dose rate", SimKind::Random, 1.9, 0.3, 200);
  b.Real("CL_Residual", "mg/l", "Final water free chlorine", SimKind::Random, 0.85, 0.45, 180);
  b.Real("CL_Residual_SP", "mg/l", "Free chlorine setpoint", SimKind::Constant, 0.8, 0, 60);
  b.Real("ALUM_Dose", "mg/l", "Coagulant dose rate", SimKind::Random, 32, 6, 300);
  b.Real("ALUM_Tank", "%", "Coagulant bulk tank level", SimKind::Ramp, 12, 80, 5400);
  b.Real("LIME_Dose", "mg/l", "Lime dose rate", SimKind::Random, 14, 3, 300);
  b.Real("FINAL_pH", "pH", "Final water pH", SimKind::Sine, 7.5, 0.55, 1300);
  b.Real("FINAL_pH_SP", "pH", "Final water pH setpoint", SimKind::Constant, 7.5, 0, 60);
  b.Real("FLUOR_Dose", "mg/l", "Fluoride dose", SimKind::Random, 0.9, 0.1, 300);
  b.Real("FINAL_Turb", "NTU", "Final water turbidity", SimKind::Random, 0.09, 0.05, 150);
  for (int i = 1; i <= 4; ++i) {
    const std::string n = "DP" + std::to_string(i);
    const char* chem[] = {"chlorine", "coagulant", "lime", "fluoride"};
    const std::string d =
        std::string("Dosing pump ") + std::to_string(i) + " (" + chem[i - 1] + ")";
    b.Digital(n + "_Run", d + " running", SimKind::Square, 0, 1500 + 200.0 * i, 0.1);
    b.Real(n + "_Stroke", "%", d + " stroke", SimKind::Random, 55, 15, 120);
    b.Integer(n + "_Strokes", "/min", d + " stroke rate", SimKind::Random, 90, 20, 60);
  }
}

void Storage(Builder& b) {
  b.Real("CWT_Level", "m", "Clear water tank level", SimKind::Sine, 4.1, 1.4, 2400, 0.7);
  b.Real("CWT_Level_SP", "m", "Clear water tank level setpoint", SimKind::Constant, 4.2, 0, 60);
  b.Real("PIT301", "bar", "Distribution main pressure", SimKind::Random, 4.4, 0.8, 150);
  b.Real("FIT301", "m3/h", "Treated water outflow", SimKind::Random, 780, 160, 200);
  b.Real("FQ301", "m3", "Treated water total today", SimKind::Ramp, 0, 19000, 86400);
  const char* reservoirs[] = {"Hillcrest", "Ashby", "North Moor", "Quarry Lane"};
  for (int i = 1; i <= 4; ++i) {
    const std::string n = "RES" + std::to_string(i);
    const std::string d = std::string(reservoirs[i - 1]) + " reservoir";
    b.Real(n + "_Level", "m", d + " level", SimKind::Sine, 3.2, 1.9, 3000 + 700.0 * i, 0.2 * i);
    b.Real(n + "_Inflow", "l/s", d + " inflow", SimKind::Random, 55, 20, 240);
    b.Digital(n + "_Comms", d + " telemetry healthy", SimKind::Constant, i == 3 ? 0 : 1, 60);
    b.Integer(n + "_Battery", "%", d + " outstation battery", SimKind::Random, 88, 8, 900);
  }
}

void Site(Builder& b) {
  b.Text("PLANT_Mode", "Works operating mode", {"NORMAL", "NORMAL", "NORMAL", "REDUCED"}, 900);
  b.Text("SHIFT_Operator", "Operator on shift", {"J. Okafor"}, 60);
  b.Text("SHIFT_Supervisor", "Supervisor on call", {"R. Lindqvist"}, 60);
  b.Text("PLANT_Message", "Control room notice", {"Filter 4 media check due"}, 60);
  b.Text("WEATHER_Outlook", "Weather outlook", {"DRY", "SHOWERS", "RAIN", "DRY"}, 1800);
  b.Digital("ALARM_Horn", "Control room horn sounding", SimKind::Square, 0, 240, 0.8);
  b.Digital("PLC1_Comms", "Treatment PLC link healthy", SimKind::Constant, 1, 60);
  b.Digital("PLC2_Comms", "Intake PLC link healthy", SimKind::Square, 0, 1200, 0.2);
  b.Digital("GEN_Run", "Standby generator running", SimKind::Square, 0, 7200, 0.9);
  b.Digital("DOOR_Intruder", "Intake building door open", SimKind::Square, 0, 1300, 0.35);
  b.Real("AMBIENT_Temp", "degC", "Outside air temperature", SimKind::Sine, 9, 5, 86400, 0.6);
  b.Real("RAIN_Rate", "mm/h", "Rainfall rate", SimKind::Random, 1.2, 1.5, 900);
  b.Real("POWER_kW", "kW", "Site power demand", SimKind::Random, 640, 90, 180);
  b.Real("POWER_kWh", "kWh", "Site energy today", SimKind::Ramp, 0, 15000, 86400);
  b.Integer("VISITORS", "", "Visitors signed in", SimKind::Random, 3, 3, 3600);
  b.Integer("SAMPLES_Due", "", "Lab samples due this shift", SimKind::Ramp, 2, 10, 28800);
  b.Integer("WO_Open", "", "Open work orders", SimKind::Random, 17, 5, 7200);
}

void Alarms(Builder& b) {
  using C = AlarmCondition;
  b.Alarm("LIT101", C::High, 3.4, 0.05, "Intake well level high");
  b.Alarm("LIT101", C::Low, 1.6, 0.05, "Intake well level low");
  b.Alarm("AIT101", C::High, 24, 0.5, "Raw water turbidity high");
  b.Alarm("P103_Fault", C::On, 0, 0, "Intake pump 3 tripped");
  b.Alarm("P102_Run", C::Off, 0, 0, "Intake pump 2 stopped");
  b.Alarm("P201_Bearing", C::High, 65, 0.5, "High lift pump 1 bearing hot");
  b.Alarm("P202_Bearing", C::High, 65, 0.5, "High lift pump 2 bearing hot");
  b.Alarm("CL1_Turb", C::High, 2.6, 0.1, "Clarifier 1 turbidity high");
  b.Alarm("CL2_Turb", C::High, 2.6, 0.1, "Clarifier 2 turbidity high");
  for (int i = 1; i <= 6; ++i) {
    const std::string n = "F" + std::to_string(i);
    b.Alarm(n + "_HeadLoss", C::High, 32, 0.5, "Filter " + std::to_string(i) + " head loss high");
  }
  b.Alarm("CL_Residual", C::Deviation, 0.3, 0.02, "Free chlorine off setpoint", "CL_Residual_SP");
  b.Alarm("FINAL_pH", C::Deviation, 0.4, 0.02, "Final water pH off setpoint", "FINAL_pH_SP");
  b.Alarm("FINAL_Turb", C::High, 0.13, 0.005, "Final water turbidity high");
  b.Alarm("CWT_Level", C::Low, 3.2, 0.05, "Clear water tank level low");
  b.Alarm("PIT301", C::Low, 3.9, 0.05, "Distribution pressure low");
  b.Alarm("ALUM_Tank", C::Low, 20, 0.5, "Coagulant tank level low");
  b.Alarm("PLC2_Comms", C::Off, 0, 0, "Intake PLC link lost");
  b.Alarm("RES3_Comms", C::Off, 0, 0, "North Moor telemetry lost");
  b.Alarm("RES1_Level", C::Low, 1.8, 0.05, "Hillcrest reservoir level low");
  b.Alarm("RES2_Level", C::High, 4.8, 0.05, "Ashby reservoir level high");
  b.Alarm("DOOR_Intruder", C::On, 0, 0, "Intake building door open");
  b.Alarm("GEN_Run", C::On, 0, 0, "Standby generator running");
}

void Trends(Builder& b) {
  b.Trend("TREND1", "LIT101", 2, "Intake well level");
  b.Trend("INFLOW", "FIT101", 2, "Raw water inflow");
  b.Trend("RAW_TURB", "AIT101", 5, "Raw water turbidity");
  b.Trend("CL1_TURB", "CL1_Turb", 5, "Clarifier 1 turbidity");
  b.Trend("CL2_TURB", "CL2_Turb", 5, "Clarifier 2 turbidity");
  for (int i = 1; i <= 6; ++i) {
    const std::string n = "F" + std::to_string(i);
    b.Trend(n + "_HL", n + "_HeadLoss", 10, "Filter " + std::to_string(i) + " head loss");
  }
  b.Trend("CHLORINE", "CL_Residual", 2, "Free chlorine residual");
  b.Trend("PH", "FINAL_pH", 2, "Final water pH");
  b.Trend("CWT_LEVEL", "CWT_Level", 5, "Clear water tank level");
  b.Trend("PRESSURE", "PIT301", 1, "Distribution pressure");
  b.Trend("OUTFLOW", "FIT301", 2, "Treated water outflow");
  b.Trend("P101_SPEED", "P101_Speed", 2, "Intake pump 1 speed");
  b.Trend("POWER", "POWER_kW", 10, "Site power demand");
  b.Trend("AIR_TEMP", "AMBIENT_Temp", 60, "Outside air temperature");
}

void Devices(Project& p) {
  p.devices.push_back(
      {"Instruments",
       {"Tag", "Type", "Range", "Make", "Calibrated"},
       {{"LIT101", "Radar level", "0-5 m", "Hydrolink", "12/03/2026"},
        {"FIT101", "Mag flowmeter", "0-1200 m3/h", "Fluxmaster", "02/02/2026"},
        {"AIT101", "Turbidimeter", "0-100 NTU", "ClearSense", "18/05/2026"},
        {"CL_Residual", "Chlorine analyser", "0-2 mg/l", "ClearSense", "01/06/2026"},
        {"FINAL_pH", "pH probe", "0-14 pH", "Aqualab", "22/04/2026"},
        {"PIT301", "Pressure transmitter", "0-10 bar", "Presstek", "09/01/2026"}}});
  p.devices.push_back({"Maintenance",
                       {"Asset", "Task", "Due", "Crew", "Status"},
                       {{"P101", "Bearing grease", "14/12/2026", "Mech A", "Planned"},
                        {"P103", "Motor trip fault", "07/12/2026", "Elec B", "Open"},
                        {"F4", "Media depth check", "21/12/2026", "Process", "Planned"},
                        {"CL2", "Scraper chain", "10/01/2027", "Mech A", "Planned"},
                        {"GEN", "Load bank test", "03/01/2027", "Elec B", "Planned"}}});
  p.devices.push_back({"Dosing",
                       {"Chemical", "Pump", "Dose", "Units", "Stock"},
                       {{"Chlorine", "DP1", "1.9", "mg/l", "11 days"},
                        {"Coagulant", "DP2", "32", "mg/l", "6 days"},
                        {"Lime", "DP3", "14", "mg/l", "19 days"},
                        {"Fluoride", "DP4", "0.9", "mg/l", "25 days"}}});
  p.devices.push_back({"Shifts",
                       {"Shift", "Start", "Operator", "Phone"},
                       {{"Early", "06:00", "J. Okafor", "x2201"},
                        {"Late", "14:00", "M. Brennan", "x2202"},
                        {"Night", "22:00", "S. Patel", "x2203"}}});
}

}  // namespace

Project DemoProject() {
  Project project;
  project.title = "Ashby Vale water treatment works";
  project.users.push_back({"Engineer", kEngineerHash, true});
  Builder b(project);
  Intake(b);
  Pumps(b);
  Clarifiers(b);
  Filters(b);
  Chemicals(b);
  Storage(b);
  Site(b);
  Alarms(b);
  Trends(b);
  Devices(project);
  project.Finish();
  return project;
}

}  // namespace znsim
