#pragma once

namespace cli {

struct Context;

// plotcare-cli sample PRINTER: a sample series of a custom paper setting,
// printed through the driver by the detail dialogs' own procedure and plans.
//   --from slot:N | FILE.ZMD:ENTRY | FILE.json   the setting (a slot of the
//        printer, a custom file entry, or the JSON that "slot --json" or
//        "zmd show --json" prints)
//   then exactly one of
//   --media ID,ID,...         one sheet per media (printed in the dialog's list order)
//   --feed FROM..TO [--points N]
//                             one sheet per feed point (-70..70; the dialog's rule
//                             gives 1 to 5 points); --points N: the number of
//                             sheets the range must give, refused otherwise
//   --density D               one sheet at density D (-50..50; a custom file entry)
//   --modes M,M,...           one sheet per print mode 1-4 (a custom file entry)
//   --image FILE.BMP          the sample image (default: the standard image)
// Progress sheet by sheet on standard error; Ctrl-C ends the series (the
// printer's closing job is still sent). Exit codes: 0 printed; 1 usage; 2
// printer or driver settings missing; 3 not ready; 5 refused before anything
// was printed (the image, a media or mode the dialog does not offer, the
// setting); 6 a driver setting or a sheet failed; 7 cancelled.
int Sample(Context& c);

} // namespace cli
