// The fields of the two windows that the encoder link reads, as plain data holding exactly what
// was typed: the windows show them and write the operator's edits back here.
#pragma once
#include <string>
#include <vector>

namespace wellvue {

// Link window fields with their initial texts.
struct LinkFields {
  // Port choice and traced line parameters.
  std::string ComboBox1_port_com = "port com";
  std::vector<std::string> port_items = {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyS0"};
  // What the list shows of each item (the name with the kernel name and description beside it);
  // empty, or shorter than port_items: the items themselves.
  std::vector<std::string> port_labels;
  int port_item_index = -1;  // selected item of the port list
  std::string ComboBox_baudrate = "vitesse";
  std::vector<std::string> baud_items;
  int baud_item_index = -1;  // selected item of the baud list
  std::string Edit4 = "N";   // parity
  std::string Edit5 = "8";   // byte size
  std::string Edit2 = "1";   // stop bits
  // Polling interval and time-outs, converted at every open.
  std::string Edit6 = "10";
  std::string Edit7 = "10";    // ReadIntervalTimeout
  std::string Edit8 = "10";    // ReadTotalTimeoutMultiplier
  std::string Edit9 = "100";   // ReadTotalTimeoutConstant
  std::string Edit10 = "10";   // WriteTotalTimeoutMultiplier
  std::string Edit11 = "100";  // WriteTotalTimeoutConstant
  bool CheckBox1 = true;       // DTR
  bool CheckBox2 = true;       // RTS
  // Depth computation and subtitle padding.
  std::string Edit_circ = "404";  // wheel circumference, mm per turn
  bool CheckBox3 = true;          // "sens positif"
  std::string Edit13 = "160";     // code of the character standing for an unnamed borehole
  std::string Edit14 = "38";      // width the borehole name is padded to in each depth text
  int RadioGroup1 = 1;            // 0 "acquisition -> *.srt", 1 "stop"
  // Start depth and calibration.
  std::string ComboBox2;
  std::vector<std::string> ComboBox2_items = {"0 cm", "10 cm", "50 cm", "100 cm", "150 cm", "200 cm"};
  std::string Label22 = ".. cm";
  std::string Edit_longueur = "5";
  bool BitBtn_start_enabled = true;
  bool BitBtn_stop_enabled = false;
};

// Main window fields the link reads or writes.
struct MainFields {
  std::string Edit_nom_forage = "forage";  // borehole name
  std::string Edit_circ = "405";
  std::string Edit_longueur = "5";
  std::string ComboBox1;  // start depth field
  std::string Label7;     // start depth caption
  bool BitBtn_start_enabled = true;
  bool BitBtn_stop_enabled = false;
};

// Which window's button called a calibration handler.
enum class Sender { LinkWindow, MainWindow };

}  // namespace wellvue
